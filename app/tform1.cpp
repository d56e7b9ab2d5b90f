#include "app/tform1.h"

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/ansitext.h"
#include "app/directorylistbox.h"
#include "app/drivecombobox.h"
#include "app/enterkey.h"
#include "app/errordisplay.h"
#include "app/exportprogressdialog.h"
#include "app/filelistbox.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/locale/localesettings.h"
#include "app/prompts.h"
#include "app/scriptpane.h"
#include "app/stringgrid.h"
#include "app/windowframe.h"
#include "base/exceptions.h"
#include "designer/designergrid.h"
#include "designer/tabledefinition.h"
#include "scripts/paneexport.h"
#include "scripts/procedurescript.h"
#include "scripts/structurescript.h"
#include "scripts/usernotices.h"
#include "source/damagereport.h"
#include "source/tablerequest.h"

namespace vorendal {
namespace {

// The client area as drawn: 740 pixels wide, 498 high down to the status bar's lower edge.
constexpr int kClientWidth = 740;
constexpr int kClientHeight = 498;
constexpr int kLeft = 131;
constexpr int kTop = 97;

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

// When it goes, however the run ends, the status bar tells how many characters of Table1's text
// the run wrote as "?": part picks the names or the values, as the run writes them.
class ReplacedNotice {
public:
    ReplacedNotice(TForm1& form, std::uint64_t ReplacedCharacters::*part)
        : m_form(form), m_part(part) {}
    ~ReplacedNotice() {
        try {
            const std::string notice =
                replacedInTableNotice(m_form.Table1.replacedCharacters().*m_part);
            if (!notice.empty())
                m_form.StatusBar1->showMessage(toQString(notice));
        } catch (...) {
            // out of memory for the notice: the run's own outcome stands
        }
    }
    ReplacedNotice(const ReplacedNotice&) = delete;
    ReplacedNotice& operator=(const ReplacedNotice&) = delete;

private:
    TForm1& m_form;
    std::uint64_t ReplacedCharacters::*m_part;
};

// Where table definitions are kept: the user's documents folder, or the home folder for a user
// who has none.
QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

TForm1::TForm1(Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts), m_scriptSavePath(QStringLiteral("/")),
      m_regionalSettings(regionalSettingsFromLocale(QLocale::system())) {
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
    setUpTableDefinitionDialogs();
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
            // a failed request leaves the table closed for the next one
            const TableRequest request(Table1);
            // a notice belongs to the request before
            StatusBar1->clearMessage();
            m_typedReplaced = 0;
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
    connect(criatabela, &StringGrid::getEditText, this, [this](int col, int row, QString& value) {
        guarded(m_prompts, [&] { criatabelaGetEditText(criatabela, col, row, value); });
    });
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { guarded(m_prompts, [&] { DriveComboBox1Change(index); }); });
    connect(DirectoryListBox1, &DirectoryListBox::openRequested, this,
            [this](int row) { guarded(m_prompts, [&] { DirectoryListBox1Open(row); }); });
    connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, DriveComboBox1,
            &DriveComboBox::followFolder);
    // typing on adds up until the next click
    connect(RichEdit1, &ScriptPane::charactersReplaced, this, [this](quint64 count) {
        m_typedReplaced += count;
        StatusBar1->showMessage(toQString(replacedInPaneNotice(m_typedReplaced)));
    });
}

void TForm1::setUpTableDefinitionDialogs() {
    salvartabela.filter = QStringLiteral("Definição de tabela (*.tab)");
    salvartabela.hideFilterDetails = true;
    salvartabela.defaultSuffix = QStringLiteral("tab");
    salvartabela.initialPath = documentsFolder();
    salvartabela.confirmOverwrite = false;
    salvartabela.mustExist = false;
    Lertabela = salvartabela;
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
    if (event->spontaneous())
        return;
    showCaptionOnly(*this); // before the window manager maps the window
    guarded(m_prompts, [this] { FormShow(); });
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // nothing moves with the frame but the status bar, which spans the bottom edge
    StatusBar1->setGeometry(0, height() - StatusBar1->height(), width(), StatusBar1->height());
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // the user changed the regional settings while the program runs: the next export uses them
    if (event->type() == QEvent::LocaleChange)
        m_regionalSettings = regionalSettingsFromLocale(QLocale::system());
}

void TForm1::FormShow() {
    setupDesignerGrid();
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::setupDesignerGrid() {
    criatabela->cells().setUp();
}

void TForm1::criatabelaGetEditText(QObject* /*Sender*/, int ACol, int /*ARow*/,
                                   QString& /*Value*/) {
    const std::string_view hint = columnHint(ACol);
    if (hint.empty())
        return;
    Label4->setText(toQString(hint));
    Label4->adjustSize();
}

void TForm1::BitBtn1Click() {
    const ReplacedNotice notice(*this, &ReplacedCharacters::names);
    writeStructureScript(Table1, FileListBox1->FileName(), *RichEdit1);
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
    const ReplacedNotice notice(*this, &ReplacedCharacters::names);
    writeProcedureScript(Table1, FileListBox1->FileName(), *RichEdit1);
}

void TForm1::BitBtn5Click() {
    close();
}

void TForm1::BitBtn6Click() {
    // the settings as they are now: a change announced while the progress dialog takes its
    // events applies to the next export, not to the rest of this one
    const RegionalSettings settings = regionalSettings();
    const ReplacedNotice notice(*this, &ReplacedCharacters::values);
    ExportProgressDialog progress(this, exportProgressDelay);
    writeDataExportToPane(Table1, FileListBox1->FileName(), settings, *RichEdit1,
                          progress.callback());
    // damaged values were exported as NULL; the user learns which, after the last line
    if (!Table1.damage().empty())
        throw EDatabaseError(damageMessage(Table1.damage()));
}

void TForm1::BitBtn7Click() {
    runDesignerScript(DesignerScript::createTable);
}

void TForm1::BitBtn8Click() {
    const std::optional<QString> chosen = m_prompts.saveFileName(salvartabela);
    if (!chosen)
        return;
    salvartabela.initialPath = *chosen;
    saveTableDefinition(criatabela->cells(), QFile::encodeName(*chosen).toStdString());
}

void TForm1::BitBtn9Click() {
    const std::optional<QString> chosen = m_prompts.openFileName(Lertabela);
    if (!chosen)
        return;
    Lertabela.initialPath = *chosen;
    if (readTableDefinition(criatabela->cells(), QFile::encodeName(*chosen).toStdString())
            .rowsLeftOut)
        m_prompts.message(
            QStringLiteral("A definição tem mais de 100 campos; só os 100 primeiros foram lidos."));
}

void TForm1::BitBtn10Click() {
    const int row = criatabela->cells().moveRowUp(criatabela->currentRow());
    criatabela->setCurrentCell(criatabela->currentCol(), row);
}

void TForm1::BitBtn11Click() {
    const int row = criatabela->cells().moveRowDown(criatabela->currentRow());
    criatabela->setCurrentCell(criatabela->currentCol(), row);
}

void TForm1::BitBtn12Click() {
    criatabela->cells().clear();
}

void TForm1::BitBtn13Click() {
    runDesignerScript(DesignerScript::alterTable);
}

void TForm1::runDesignerScript(DesignerScript kind) {
    // a relative name: the script lands in the current directory, the folder the browser shows
    const std::optional<std::filesystem::path> written =
        writeDesignerScriptFile(kind, criatabela->cells(), toAnsi(Edit1->text()), {});
    if (!written) {
        m_prompts.message(toQString(kMissingTableNameMessage));
        return;
    }
    RichEdit2->setPlainText(toQString(readDesignerScript(*written)));
    PageControl1->setCurrentWidget(TabSheet3);
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
