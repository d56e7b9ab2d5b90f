#include "app/tform1.h"

#include <filesystem>
#include <system_error>

#include <QFile>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/directorylistbox.h"
#include "app/drivecombobox.h"
#include "app/enterkey.h"
#include "app/errordisplay.h"
#include "app/filelistbox.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/prompts.h"
#include "app/scriptpane.h"
#include "app/stringgrid.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

// The client area as drawn: 740 pixels wide, 498 high down to the status bar's lower edge.
constexpr int kClientWidth = 740;
constexpr int kClientHeight = 498;
constexpr int kLeft = 131;
constexpr int kTop = 97;

const char* const kGridHeadings[] = {"ID", "Nome do campo", "TP", "Tam.", "Key (*)", "Nulo (S/N)"};

// The working folder cannot be shown (removed, or no access): the tree shows the nearest folder
// above it that it can, the root at last, so that the browser stays usable.
void showNearestFolderAbove(DirectoryListBox& tree, const std::filesystem::path& folder) {
    std::filesystem::path above =
        folder.empty() ? std::filesystem::path("/") : folder.parent_path();
    for (;;) {
        try {
            tree.setDirectory(above.native());
            return;
        } catch (const EInOutError&) {
            if (above == above.parent_path())
                return;
            above = above.parent_path();
        }
    }
}

} // namespace

TForm1::TForm1(Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts), m_scriptSavePath(QStringLiteral("/")) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vorendal"));
    setWindowIcon(Glyphs::applicationIcon());
    setFont(Fonts::windowFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    move(kLeft, kTop);
    resize(kClientWidth, kClientHeight);

    createBrowser();
    createCommandButtons();
    createPages();
    createStatusBar();
    setTabOrder();
    connectHandlers();
    EnterClicksButton::installOn(this);
    FileListBox1->setFocus();
    guarded(m_prompts, [this] { startBrowser(); });
}

TForm1::~TForm1() = default;

void TForm1::onClick(QAbstractButton* button, void (TForm1::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
        guarded(m_prompts, [this, handler] {
            // whatever a click appends to the script pane is taken back by one undo, also when
            // the handler fails halfway
            const ScriptPane::AppendGroup oneUndoStep(*RichEdit1);
            (this->*handler)();
        });
    });
}

void TForm1::connectHandlers() {
    onClick(BitBtn1, &TForm1::BitBtn1Click);
    onClick(BitBtn2, &TForm1::BitBtn2Click);
    onClick(BitBtn3, &TForm1::BitBtn3Click);
    onClick(BitBtn4, &TForm1::BitBtn4Click);
    onClick(BitBtn5, &TForm1::BitBtn5Click);
    onClick(BitBtn6, &TForm1::BitBtn6Click);
    onClick(BitBtn7, &TForm1::BitBtn7Click);
    onClick(BitBtn8, &TForm1::BitBtn8Click);
    onClick(BitBtn9, &TForm1::BitBtn9Click);
    onClick(BitBtn10, &TForm1::BitBtn10Click);
    onClick(BitBtn11, &TForm1::BitBtn11Click);
    onClick(BitBtn12, &TForm1::BitBtn12Click);
    onClick(BitBtn13, &TForm1::BitBtn13Click);
    onClick(SpeedButton1, &TForm1::SpeedButton1Click);
    onClick(SpeedButton2, &TForm1::SpeedButton2Click);
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { guarded(m_prompts, [&] { DriveComboBox1Change(index); }); });
    connect(DirectoryListBox1, &DirectoryListBox::openRequested, this,
            [this](int row) { guarded(m_prompts, [&] { DirectoryListBox1Open(row); }); });
    connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, DriveComboBox1,
            &DriveComboBox::followFolder);
}

void TForm1::startBrowser() {
    // The chain: drive selector -> directory tree -> file list, all at the working folder.
    DriveComboBox1->setDirList(DirectoryListBox1);
    DirectoryListBox1->setFileList(FileListBox1);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    DriveComboBox1->readVolumes(
        QFile::decodeName(QByteArray::fromStdString(ec ? std::string("/") : folder.native())));
    try {
        if (ec)
            throw EInOutError(ioCodeFromErrno(ec.value()));
        DirectoryListBox1->setDirectory(folder.native());
    } catch (const EInOutError&) {
        showNearestFolderAbove(*DirectoryListBox1, folder);
        throw;
    }
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // a spontaneous show is the window coming back from minimised, not a showing of the form
    if (!event->spontaneous())
        guarded(m_prompts, [this] { FormShow(); });
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // nothing moves with the frame but the status bar, which spans the bottom edge
    StatusBar1->setGeometry(0, height() - StatusBar1->height(), width(), StatusBar1->height());
}

void TForm1::FormShow() {
    setupDesignerGrid();
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::setupDesignerGrid() {
    for (int col = 0; col < criatabela->gridColCount(); ++col)
        criatabela->setCellText(col, 0, QLatin1String(kGridHeadings[col]));
    for (int row = 1; row < criatabela->gridRowCount(); ++row)
        criatabela->setCellText(0, row, QStringLiteral("%1").arg(row, 3, 10, QLatin1Char('0')));
}

void TForm1::BitBtn1Click() {
    // structure script of the selected table: comes with the structure-script generator
}

void TForm1::BitBtn2Click() {
    RichEdit1->clearText();
}

void TForm1::BitBtn3Click() {
    FileDialogRequest request;
    request.filter = QStringLiteral("Arquivo.sql (*.sql)");
    request.hideFilterDetails = true;
    request.defaultSuffix = QStringLiteral("sql");
    request.initialPath = m_scriptSavePath;
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = m_prompts.saveFileName(request);
    if (!chosen)
        return;
    m_scriptSavePath = *chosen;
    RichEdit1->saveToFile(QFile::encodeName(*chosen).toStdString());
}

void TForm1::BitBtn4Click() {
    // insert-procedure script: comes with the insert-procedure generator
}

void TForm1::BitBtn5Click() {
    close();
}

void TForm1::BitBtn6Click() {
    // procedure calls with the table's data: come with the data export
}

void TForm1::BitBtn7Click() {
    // CREATE TABLE script of the designer: comes with the designer's script writers
}

void TForm1::BitBtn8Click() {
    // saving the table definition file: comes with the designer
}

void TForm1::BitBtn9Click() {
    // reading a table definition file: comes with the designer
}

void TForm1::BitBtn10Click() {
    // moving the current row up: comes with the designer grid's operations
}

void TForm1::BitBtn11Click() {
    // moving the current row down: comes with the designer grid's operations
}

void TForm1::BitBtn12Click() {
    // clearing the designer grid: comes with the designer grid's operations
}

void TForm1::BitBtn13Click() {
    // ALTER TABLE script of the designer: comes with the designer's script writers
}

void TForm1::SpeedButton1Click() {
    FileListBox1->applyMask("*.dbf");
}

void TForm1::SpeedButton2Click() {
    FileListBox1->applyMask("*.db");
}

void TForm1::DriveComboBox1Change(int index) {
    DriveComboBox1->chooseDrive(index);
}

void TForm1::DirectoryListBox1Open(int row) {
    DirectoryListBox1->openEntry(row);
}

} // namespace vorendal
