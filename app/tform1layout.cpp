// The layout of TForm1: every control with its position, size, caption, hint, cursor, font and
// colour. Coordinates are pixels at 96 dots per inch, as the window was drawn.

#include "app/tform1.h"

#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/directorylistbox.h"
#include "app/drivecombobox.h"
#include "app/filelistbox.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/scriptpane.h"
#include "app/statuspanel.h"
#include "app/statuspanels.h"
#include "app/stringgrid.h"

namespace vorendal {
namespace {

constexpr int kHintShowTime = 2500; // milliseconds a hint stays up
constexpr int kStatusBarHeight = 19;
constexpr int kLegendRowHeight = 15;
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);

template <typename Control>
Control* place(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(left, top, width, height);
    return control;
}

QLabel* label(QWidget* parent, const char* name, int left, int top, int width, int height,
              const QString& caption) {
    auto* control = place(new QLabel(caption, parent), name, left, top, width, height);
    control->setTextFormat(Qt::PlainText);
    // a label is as wide as its text, also when the face at hand is wider than the one drawn for
    control->resize(std::max(width, control->sizeHint().width()), height);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, int left, int top, const QString& caption,
                    const QString& hint = {}) {
    auto* control = place(new QPushButton(caption, parent), name, left, top, 75, 25);
    control->setCursor(Qt::PointingHandCursor);
    control->setAutoDefault(false);
    if (!hint.isEmpty()) {
        control->setToolTip(hint);
        control->setToolTipDuration(kHintShowTime);
    }
    return control;
}

QPushButton* commandButton(QWidget* parent, const char* name, int left, const QString& caption,
                           const QString& hint, Glyphs::Command glyph) {
    QPushButton* control = button(parent, name, left, 449, caption, hint);
    control->setIcon(Glyphs::commandIcon(glyph));
    control->setIconSize(QSize(16, 16));
    return control;
}

QToolButton* maskButton(QWidget* parent, const char* name, int left, const QString& caption,
                        const QString& hint) {
    auto* control = place(new QToolButton(parent), name, left, 449, 30, 25);
    control->setText(caption);
    control->setToolButtonStyle(Qt::ToolButtonTextOnly);
    control->setFocusPolicy(Qt::NoFocus); // acts on a mouse click only
    control->setCursor(Qt::PointingHandCursor);
    control->setToolTip(hint);
    control->setToolTipDuration(kHintShowTime);
    return control;
}

void setTextColour(QWidget* control, const QColor& colour, bool bold) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
    QFont font = control->font();
    font.setBold(bold);
    control->setFont(font);
}

QWidget* fillingPage(QWidget* content) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(page);
    layout->addWidget(content);
    return page;
}

} // namespace

void TForm1::createBrowser() {
    Label1 = label(this, "Label1", 5, 9, 108, 13, QStringLiteral("Unidade Disco / Pasta"));
    Label2 = label(this, "Label2", 5, 232, 105, 13, QStringLiteral("Arquivos a serem lidos"));
    DriveComboBox1 = place(new DriveComboBox(this), "DriveComboBox1", 5, 24, 176, 19);
    DirectoryListBox1 = place(new DirectoryListBox(this), "DirectoryListBox1", 5, 48, 176, 196);
    DirectoryListBox1->raise(); // it lies over Label2
    Label6 = label(this, "Label6", 5, 253, 38, 13, QStringLiteral("Tabelas"));
    FileListBox1 = place(new FileListBox(this), "FileListBox1", 5, 268, 176, 145);
    Image2 = place(new QLabel(this), "Image2", 5, 416, 177, 57);
    Image2->setPixmap(QPixmap::fromImage(Glyphs::bannerImage()));
    Image2->setScaledContents(false);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TForm1::createCommandButtons() {
    BitBtn2 = commandButton(this, "BitBtn2", 187, QStringLiteral("Limpar"),
                            QStringLiteral("Limpar area de texto"), Glyphs::Command::Clear);
    BitBtn1 = commandButton(this, "BitBtn1", 266, QStringLiteral("SQL"),
                            QStringLiteral("Gera o SQL para criar a tabela selecionada"),
                            Glyphs::Command::Sql);
    BitBtn4 =
        commandButton(this, "BitBtn4", 345, QStringLiteral("Stored"),
                      QStringLiteral("Gera o SQL da Stored Procedure para a tabela selecionada"),
                      Glyphs::Command::Stored);
    BitBtn3 =
        commandButton(this, "BitBtn3", 424, QStringLiteral("Salvar"),
                      QStringLiteral("Salva o texto como arquivo .SQL"), Glyphs::Command::Save);
    BitBtn6 = commandButton(this, "BitBtn6", 503, QStringLiteral("Importar"),
                            QStringLiteral("Cria as chamadas pra a Stod Procedure com os dados "
                                           "da tabela selecionada"),
                            Glyphs::Command::Import);
    BitBtn5 = commandButton(this, "BitBtn5", 591, QStringLiteral("Fim"),
                            QStringLiteral("Finalizar o programa"), Glyphs::Command::End);
    SpeedButton1 = maskButton(this, "SpeedButton1", 670, QStringLiteral("*.dbf"),
                              QStringLiteral("Selecionar arquivos com extensão .DBF"));
    SpeedButton2 = maskButton(this, "SpeedButton2", 704, QStringLiteral("*.db"),
                              QStringLiteral("Selecionar arquivos com extensão .DB"));
}

void TForm1::createPages() {
    PageControl1 = place(new QTabWidget(this), "PageControl1", 187, 24, 547, 417);
    PageControl1->setTabPosition(QTabWidget::North);

    RichEdit1 = new ScriptPane;
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    TabSheet1 = fillingPage(RichEdit1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    createDesignerPage();

    RichEdit2 = new QPlainTextEdit;
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    RichEdit2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setTabChangesFocus(true);
    TabSheet3 = fillingPage(RichEdit2);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));

    PageControl1->addTab(TabSheet1, QStringLiteral("Instrução SQL"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Criar tabela"));
    PageControl1->addTab(TabSheet3, QStringLiteral("SQL"));
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::createDesignerPage() {
    QWidget* page = TabSheet2;
    Label3 = label(page, "Label3", 16, 20, 75, 13, QStringLiteral("Nome da tabela"));
    Edit1 = place(new QLineEdit(page), "Edit1", 96, 16, 321, 21);
    Label5 = label(page, "Label5", 427, 16, 92, 13, QStringLiteral("Valores para TP"));
    setTextColour(Label5, kNavy, true);

    criatabela =
        place(new StringGrid({28, 205, 21, 29, 38, 52}, 18, page), "criatabela", 16, 41, 402, 289);

    Memo1 = place(new QTextEdit(page), "Memo1", 427, 40, 97, 137);
    Memo1->setAcceptRichText(false);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setTabChangesFocus(true);
    Memo1->document()->setDocumentMargin(1);
    Memo1->setFont(Fonts::fixedFont(12, true));
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoColours = Memo1->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    Memo1->setPalette(memoColours);
    Memo1->setPlainText(QStringLiteral("V - VARCHAR\nI - INTEGER\nB - BOOLEANO\nN - NUMERICO\n"
                                       "C - CHAR\nD - DATE\nT - TIME\nM - MEMO"));
    // the legend's rows as tall as those of the face it was drawn for, whatever face stands in
    QTextCursor legend(Memo1->document());
    legend.select(QTextCursor::Document);
    QTextBlockFormat rows;
    rows.setLineHeight(kLegendRowHeight, QTextBlockFormat::FixedHeight);
    legend.mergeBlockFormat(rows);

    Label4 = label(page, "Label4", 16, 335, 27, 13, QStringLiteral("Obs:"));
    setTextColour(Label4, kRed, true);
    Label4->adjustSize(); // the hint label takes the size of its text

    BitBtn8 = button(page, "BitBtn8", 16, 358, QStringLiteral("Salvar"));
    BitBtn9 = button(page, "BitBtn9", 94, 358, QStringLiteral("Ler"));
    BitBtn7 = button(page, "BitBtn7", 172, 358, QStringLiteral("Criar tabela"));
    BitBtn13 = button(page, "BitBtn13", 250, 358, QStringLiteral("Alterar tabela"));
    BitBtn10 = button(page, "BitBtn10", 448, 184, QStringLiteral("Para cima"));
    BitBtn11 = button(page, "BitBtn11", 448, 212, QStringLiteral("Para baixo"));
    BitBtn12 = button(page, "BitBtn12", 448, 240, QStringLiteral("Limpar"));
}

void TForm1::createStatusBar() {
    StatusBar1 = place(new QStatusBar(this), "StatusBar1", 0, 479, 740, kStatusBarHeight);
    StatusBar1->setFont(Fonts::windowFont());
    StatusBar1->setSizeGripEnabled(true);
    const QString texts[] = {
        QStringLiteral("Ferramentas para bancos de dados INTERBASE & FIREBIRD"),
        QStringLiteral("Sugestões: contato@vorendal.org"),
        QStringLiteral("Vorendal - equipe Vorendal"),
    };
    const int widths[] = {350, 200, 0};
    // the panels keep their widths from the left; a narrow window cuts their text, it never
    // draws one panel over the next
    auto* panels = new StatusPanels;
    for (int i = 0; i < 3; ++i) {
        auto* panel = new StatusPanel(texts[i], i == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        panels->addPanel(panel, widths[i]);
    }
    StatusBar1->addWidget(panels, 1);
}

void TForm1::setTabOrder() {
    // The keyboard order of the window; the page control brings its pages' controls along, and
    // after the last of them the order goes round to the file list again.
    const QList<QWidget*> window = {FileListBox1, DirectoryListBox1, DriveComboBox1, BitBtn1,
                                    BitBtn2,      BitBtn3,           BitBtn4,        BitBtn5,
                                    BitBtn6,      PageControl1,      FileListBox1};
    const QList<QWidget*> designer = {criatabela, BitBtn7,  BitBtn8,  BitBtn9,  Memo1,
                                      Edit1,      BitBtn10, BitBtn11, BitBtn12, BitBtn13};
    for (const auto& order : {window, designer}) {
        for (qsizetype i = 1; i < order.size(); ++i)
            QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

} // namespace vorendal
