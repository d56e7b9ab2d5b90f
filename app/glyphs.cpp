#include "app/glyphs.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace vorendal {
namespace {

// The 16 colours of the glyphs.
const QColor kBlack(0x00, 0x00, 0x00);
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kOlive(0x80, 0x80, 0x00);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kGray(0x80, 0x80, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);

QImage blankGlyph() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void drawPage(QPainter& p) {
    p.setPen(kBlack);
    p.setBrush(kWhite);
    p.drawPolygon(
        QPolygon({QPoint(2, 0), QPoint(10, 0), QPoint(13, 3), QPoint(13, 15), QPoint(2, 15)}));
    p.drawLine(10, 0, 10, 3);
    p.drawLine(10, 3, 13, 3);
}

void drawCylinder(QPainter& p, int left, int top, int width, int height, const QColor& body) {
    p.setPen(kBlack);
    p.setBrush(body);
    p.drawRect(left, top + 2, width, height - 4);
    p.drawEllipse(left, top + height - 5, width, 4);
    p.setPen(Qt::NoPen);
    p.drawRect(left + 1, top + 2, width - 1, height - 5);
    p.setPen(kBlack);
    p.setBrush(kAqua);
    p.drawEllipse(left, top, width, 4);
}

void drawSql(QPainter& p) {
    drawPage(p);
    p.setPen(kNavy);
    for (int y = 5; y <= 12; y += 2)
        p.drawLine(4, y, y == 11 ? 8 : 11, y);
}

void drawClear(QPainter& p) {
    p.setPen(kBlack);
    p.setBrush(kRed);
    p.drawPolygon(QPolygon({QPoint(7, 2), QPoint(14, 2), QPoint(10, 9), QPoint(3, 9)}));
    p.setBrush(kWhite);
    p.drawPolygon(QPolygon({QPoint(3, 9), QPoint(10, 9), QPoint(8, 13), QPoint(1, 13)}));
    p.setPen(kGray);
    p.drawLine(1, 15, 14, 15);
}

void drawSave(QPainter& p) {
    p.setPen(kBlack);
    p.setBrush(kNavy);
    p.drawRect(1, 1, 13, 13);
    p.setBrush(kSilver);
    p.drawRect(4, 1, 7, 5);
    p.fillRect(8, 2, 2, 3, kNavy);
    p.setBrush(kWhite);
    p.drawRect(3, 8, 9, 6);
    p.setPen(kGray);
    p.drawLine(5, 10, 10, 10);
    p.drawLine(5, 12, 10, 12);
}

void drawStored(QPainter& p) {
    drawCylinder(p, 1, 2, 11, 13, kTeal);
    p.setPen(kBlack);
    p.setBrush(kYellow);
    p.drawRect(9, 8, 6, 7);
    p.setPen(kMaroon);
    p.drawLine(11, 10, 13, 10);
    p.drawLine(11, 12, 13, 12);
}

void drawEnd(QPainter& p) {
    p.setPen(kBlack);
    p.setBrush(kMaroon);
    p.drawRect(2, 1, 8, 14);
    p.setBrush(kOlive);
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(7, 3), QPoint(7, 15), QPoint(2, 15)}));
    p.fillRect(6, 8, 1, 2, kYellow);
    p.setPen(kGreen);
    p.setBrush(kLime);
    p.drawPolygon(QPolygon({QPoint(10, 6), QPoint(10, 4), QPoint(15, 8), QPoint(10, 12),
                            QPoint(10, 10), QPoint(9, 10), QPoint(9, 6)}));
}

void drawImport(QPainter& p) {
    drawCylinder(p, 3, 5, 11, 11, kTeal);
    p.setPen(kGreen);
    p.setBrush(kLime);
    p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(10, 0), QPoint(10, 4), QPoint(12, 4), QPoint(8, 8),
                            QPoint(5, 4), QPoint(7, 4)}));
}

void drawFolder(QPainter& p, Glyphs::Folder kind) {
    p.setPen(kBlack);
    p.setBrush(kYellow);
    p.drawPolygon(QPolygon(
        {QPoint(1, 3), QPoint(5, 3), QPoint(6, 4), QPoint(13, 4), QPoint(13, 13), QPoint(1, 13)}));
    if (kind == Glyphs::Folder::Closed)
        return;
    // the front flap of an open folder
    p.setBrush(kind == Glyphs::Folder::Current ? kWhite : kOlive);
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
    if (kind == Glyphs::Folder::Current)
        p.fillRect(5, 9, 6, 2, kNavy);
}

} // namespace

QImage Glyphs::commandImage(Command command) {
    QImage image = blankGlyph();
    QPainter p(&image);
    switch (command) {
    case Command::Sql:
        drawSql(p);
        break;
    case Command::Clear:
        drawClear(p);
        break;
    case Command::Save:
        drawSave(p);
        break;
    case Command::Stored:
        drawStored(p);
        break;
    case Command::End:
        drawEnd(p);
        break;
    case Command::Import:
        drawImport(p);
        break;
    }
    return image;
}

QImage Glyphs::disabledImage(const QImage& glyph) {
    // a white copy one pixel down and right under a grey one, as an engraved picture
    QImage result = blankGlyph();
    for (int y = 0; y < glyph.height(); ++y) {
        for (int x = 0; x < glyph.width(); ++x) {
            if (qAlpha(glyph.pixel(x, y)) == 0)
                continue;
            if (x + 1 < result.width() && y + 1 < result.height())
                result.setPixel(x + 1, y + 1, kWhite.rgba());
        }
    }
    for (int y = 0; y < glyph.height(); ++y) {
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb pixel = glyph.pixel(x, y);
            // dark parts of the glyph turn grey; light parts are left to the white copy
            if (qAlpha(pixel) != 0 && qGray(pixel) < 0xC0)
                result.setPixel(x, y, kGray.rgba());
        }
    }
    return result;
}

QIcon Glyphs::commandIcon(Command command) {
    const QImage glyph = commandImage(command);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(glyph), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(disabledImage(glyph)), QIcon::Disabled);
    return icon;
}

QPixmap Glyphs::folderImage(Folder kind) {
    QImage image = blankGlyph();
    QPainter p(&image);
    drawFolder(p, kind);
    p.end();
    return QPixmap::fromImage(image);
}

QImage Glyphs::bannerImage() {
    QImage image(177, 57, QImage::Format_RGB888);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 177, 57);
    sky.setColorAt(0.0, QColor(0x10, 0x20, 0x60));
    sky.setColorAt(1.0, QColor(0x10, 0x80, 0x90));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    // a stack of three database discs
    for (int i = 2; i >= 0; --i) {
        const int top = 8 + i * 12;
        p.setPen(QPen(QColor(0x0A, 0x30, 0x50), 1));
        p.setBrush(QColor(0xE8, 0xB0, 0x30));
        p.drawRect(QRectF(10, top + 5, 34, 10));
        p.drawEllipse(QRectF(10, top + 10, 34, 10));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(10.5, top + 5, 33, 10));
        p.setPen(QPen(QColor(0x0A, 0x30, 0x50), 1));
        p.setBrush(QColor(0xF8, 0xD8, 0x70));
        p.drawEllipse(QRectF(10, top, 34, 10));
    }
    QFont title(QStringLiteral("Sans Serif"));
    title.setStyleHint(QFont::SansSerif);
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(52, 6, 122, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vorendal"));
    QFont subtitle(title);
    subtitle.setPixelSize(10);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(0xF8, 0xD8, 0x70));
    p.drawText(QRect(53, 34, 122, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("InterBase & Firebird"));
    return image;
}

QIcon Glyphs::applicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(QPen(QColor(0x0A, 0x30, 0x50), 2));
        p.setBrush(QColor(0x20, 0x60, 0xB0));
        p.drawRect(QRectF(6, 14, 40, 38));
        p.drawEllipse(QRectF(6, 42, 40, 16));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 14, 38, 36));
        p.setPen(QPen(QColor(0x0A, 0x30, 0x50), 2));
        p.setBrush(QColor(0x60, 0xA0, 0xE0));
        p.drawEllipse(QRectF(6, 6, 40, 16));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(30, 26, 28, 34));
        p.setPen(QPen(QColor(0xE0, 0x80, 0x10), 3));
        for (int y = 34; y <= 52; y += 6)
            p.drawLine(QPointF(35, y), QPointF(53, y));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace vorendal
