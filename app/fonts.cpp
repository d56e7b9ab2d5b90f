#include "app/fonts.h"

#include <QStringList>

namespace vorendal {

QFont Fonts::windowFont() {
    return sansFont(11);
}

QFont Fonts::sansFont(int pixelSize) {
    QFont font(QStringLiteral("MS Sans Serif"));
    // faces of about the same width first; fontconfig's sans is the last resort
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Tahoma"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

QFont Fonts::fixedFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Courier New"));
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Nimbus Mono PS"), QStringLiteral("Courier"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace vorendal
