// The main window read back from the live widgets: layout, captions, hints, tab order, start-up
// state, "Fim", and saving the script pane through the prompts.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include "app/filelistbox.h"
#include "app/locale/localesettings.h"
#include "app/scriptpane.h"
#include "app/statuspanel.h"
#include "app/stringgrid.h"
#include "app/tform1.h"
#include "fakeprompts.h"
#include "testsupport.h"

using namespace vorendal;
using namespace Qt::StringLiterals;

class TestForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void controls_data();
    void controls();
    void buttons_data();
    void buttons();
    void statusBar();
    void narrowStatusBarCutsPanelTexts();
    void enterClicksFocusedButton();
    void designerPage();
    void tabOrder();
    void showSetsUpGridAndFirstPage();
    void resizingMovesOnlyStatusBar();
    void fimClosesWithoutQuestion();
    void clearEmptiesPane();
    void saveWritesChosenFile();
    void saveDialogOffersLastName();
    void saveCancelWritesNothing();
    void saveErrors_data();
    void saveErrors();
    void regionalSettingsFollowSystemLocale();

private:
    template <typename T = QWidget> T* control(const QString& name) const {
        T* found = m_form->findChild<T*>(name);
        if (found == nullptr)
            qWarning("no control %s", qPrintable(name));
        return found;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<TForm1> m_form;
};

void TestForm::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompts = std::make_unique<FakePrompts>();
    m_form = std::make_unique<TForm1>(*m_prompts);
}

void TestForm::cleanup() {
    m_form.reset();
    m_prompts.reset();
    m_dir.reset();
}

void TestForm::window() {
    QCOMPARE(m_form->objectName(), u"Form1"_s);
    QCOMPARE(m_form->windowTitle(), u"Vorendal"_s);
    QCOMPARE(m_form->size(), QSize(740, 498));
    QCOMPARE(m_form->pos(), QPoint(131, 97));
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->font().pixelSize(), 11);
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
}

void TestForm::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    auto row = [](const char* name, const char* kind, QRect geometry, const QString& caption) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << geometry
                            << caption;
    };
    row("Label1", "QLabel", {5, 9, 108, 13}, u"Unidade Disco / Pasta"_s);
    row("DriveComboBox1", "vorendal::DriveComboBox", {5, 24, 176, 19}, {});
    row("DirectoryListBox1", "vorendal::DirectoryListBox", {5, 48, 176, 196}, {});
    row("Label2", "QLabel", {5, 232, 105, 13}, u"Arquivos a serem lidos"_s);
    row("Label6", "QLabel", {5, 253, 38, 13}, u"Tabelas"_s);
    row("FileListBox1", "vorendal::FileListBox", {5, 268, 176, 145}, {});
    row("Image2", "QLabel", {5, 416, 177, 57}, {});
    row("PageControl1", "QTabWidget", {187, 24, 547, 417}, {});
    row("StatusBar1", "QStatusBar", {0, 479, 740, 19}, {});
    row("Label3", "QLabel", {16, 20, 75, 13}, u"Nome da tabela"_s);
    row("Edit1", "QLineEdit", {96, 16, 321, 21}, {});
    row("Label5", "QLabel", {427, 16, 92, 13}, u"Valores para TP"_s);
    row("criatabela", "vorendal::StringGrid", {16, 41, 402, 289}, {});
    row("Memo1", "QTextEdit", {427, 40, 97, 137},
        u"V - VARCHAR\nI - INTEGER\nB - BOOLEANO\nN - NUMERICO\nC - CHAR\nD - DATE\n"
        "T - TIME\nM - MEMO"_s);
    row("RichEdit1", "vorendal::ScriptPane", {}, {});
    row("RichEdit2", "QPlainTextEdit", {}, {});
    row("TabSheet1", "QWidget", {}, {});
    row("TabSheet2", "QWidget", {}, {});
    row("TabSheet3", "QWidget", {}, {});
}

void TestForm::controls() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QWidget* widget = control(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    if (qobject_cast<QLabel*>(widget) != nullptr && !geometry.isNull()) {
        // a label is at least as wide as drawn, wider when the face at hand needs it
        QCOMPARE(widget->pos(), geometry.topLeft());
        QCOMPARE(widget->height(), geometry.height());
        QVERIFY(widget->width() >= geometry.width());
        QVERIFY(widget->width() >= widget->sizeHint().width());
    } else if (!geometry.isNull()) {
        QCOMPARE(widget->geometry(), geometry);
    }
    if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), caption);
    if (auto* memo = qobject_cast<QTextEdit*>(widget); memo && !caption.isEmpty())
        QCOMPARE(memo->toPlainText(), caption);
}

void TestForm::buttons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("glyph");

    auto row = [](const char* name, QRect geometry, const QString& caption, const QString& hint,
                  bool glyph) {
        QTest::newRow(name) << QString::fromLatin1(name) << geometry << caption << hint << glyph;
    };
    row("BitBtn2", {187, 449, 75, 25}, u"Limpar"_s, u"Limpar area de texto"_s, true);
    row("BitBtn1", {266, 449, 75, 25}, u"SQL"_s, u"Gera o SQL para criar a tabela selecionada"_s,
        true);
    row("BitBtn4", {345, 449, 75, 25}, u"Stored"_s,
        u"Gera o SQL da Stored Procedure para a tabela selecionada"_s, true);
    row("BitBtn3", {424, 449, 75, 25}, u"Salvar"_s, u"Salva o texto como arquivo .SQL"_s, true);
    row("BitBtn6", {503, 449, 75, 25}, u"Importar"_s,
        u"Cria as chamadas pra a Stod Procedure com os dados da tabela selecionada"_s, true);
    row("BitBtn5", {591, 449, 75, 25}, u"Fim"_s, u"Finalizar o programa"_s, true);
    row("SpeedButton1", {670, 449, 30, 25}, u"*.dbf"_s, u"Selecionar arquivos com extensão .DBF"_s,
        false);
    row("SpeedButton2", {704, 449, 30, 25}, u"*.db"_s, u"Selecionar arquivos com extensão .DB"_s,
        false);
    row("BitBtn8", {16, 358, 75, 25}, u"Salvar"_s, {}, false);
    row("BitBtn9", {94, 358, 75, 25}, u"Ler"_s, {}, false);
    row("BitBtn7", {172, 358, 75, 25}, u"Criar tabela"_s, {}, false);
    row("BitBtn13", {250, 358, 75, 25}, u"Alterar tabela"_s, {}, false);
    row("BitBtn10", {448, 184, 75, 25}, u"Para cima"_s, {}, false);
    row("BitBtn11", {448, 212, 75, 25}, u"Para baixo"_s, {}, false);
    row("BitBtn12", {448, 240, 75, 25}, u"Limpar"_s, {}, false);
}

void TestForm::buttons() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(bool, glyph);
    auto* button = control<QAbstractButton>(name);
    QVERIFY(button != nullptr);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    if (!hint.isEmpty())
        QCOMPARE(button->toolTipDuration(), 2500);
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(!button->icon().isNull(), glyph);
    if (glyph) {
        QCOMPARE(button->iconSize(), QSize(16, 16));
        const QImage normal = button->icon().pixmap(16, 16, QIcon::Normal).toImage();
        const QImage disabled = button->icon().pixmap(16, 16, QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        QVERIFY(normal != disabled);
    }
}

void TestForm::statusBar() {
    const QString panels[] = {
        u"Ferramentas para bancos de dados INTERBASE & FIREBIRD"_s, u"Sugestões: "_s, {}};
    for (int i = 0; i < 3; ++i) {
        auto* panel = control<QLabel>(u"StatusBar1Panel%1"_s.arg(i + 1));
        QVERIFY(panel != nullptr);
        if (i < 2)
            QVERIFY2(panel->text().startsWith(panels[i]), qPrintable(panel->text()));
        QVERIFY(!panel->text().isEmpty());
    }
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(control<QLabel>(u"StatusBar1Panel1"_s)->width(), 350);
    QCOMPARE(control<QLabel>(u"StatusBar1Panel2"_s)->width(), 200);
    QVERIFY(control<QStatusBar>(u"StatusBar1"_s)->isSizeGripEnabled());
}

void TestForm::narrowStatusBarCutsPanelTexts() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    for (const int width : {740, 500, 300, 120}) {
        m_form->resize(width, 498);
        QApplication::processEvents();
        QList<QRect> drawn; // each panel's text, in the status bar's coordinates
        for (int i = 1; i <= 3; ++i) {
            auto* panel = control<StatusPanel>(u"StatusBar1Panel%1"_s.arg(i));
            const QRect text =
                panel->textRect().translated(panel->mapTo(m_form->StatusBar1, QPoint()));
            const QRect inside = QRect(panel->mapTo(m_form->StatusBar1, QPoint()), panel->size());
            QVERIFY2(text.isEmpty() || inside.contains(text), qPrintable(u"%1"_s.arg(width)));
            QVERIFY(text.isEmpty() || text.right() < width);
            if (panel->shownText() != panel->text() && !panel->shownText().isEmpty())
                QVERIFY(panel->shownText().endsWith(u'\u2026'));
            for (const QRect& other : drawn)
                QVERIFY2(!text.intersects(other), qPrintable(u"%1"_s.arg(width)));
            drawn.append(text);
        }
    }
    QVERIFY(control<StatusPanel>(u"StatusBar1Panel1"_s)->shownText().endsWith(u'\u2026'));
    m_form->resize(740, 498);
    QCOMPARE(control<StatusPanel>(u"StatusBar1Panel1"_s)->shownText(),
             u"Ferramentas para bancos de dados INTERBASE & FIREBIRD"_s);
}

void TestForm::enterClicksFocusedButton() {
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->RichEdit1->appendLine("kept");
    // Enter in the pane breaks no line and clicks nothing
    m_form->RichEdit1->setFocus();
    QTest::keyClick(m_form->RichEdit1, Qt::Key_Return);
    QCOMPARE(m_form->RichEdit1->text(), u"kept\r\n"_s);
    // Enter and the keypad's Enter click the focused button: "Limpar", then "Fim"
    m_form->BitBtn2->setFocus();
    QTest::keyClick(m_form->BitBtn2, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_form->RichEdit1->text(), QString());
    // and "Limpar" is taken back by one undo
    m_form->RichEdit1->undo();
    QCOMPARE(m_form->RichEdit1->text(), u"kept\r\n"_s);
    m_form->BitBtn5->setFocus();
    QTest::keyClick(m_form->BitBtn5, Qt::Key_Return);
    QVERIFY(!m_form->isVisible());
}

void TestForm::designerPage() {
    StringGrid* grid = m_form->criatabela;
    QCOMPARE(grid->gridColCount(), 6);
    QCOMPARE(grid->gridRowCount(), 1000);
    QCOMPARE(grid->verticalHeader()->width(), 28);
    const int widths[] = {205, 21, 29, 38, 52};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(grid->columnWidth(c), widths[c]);
    QCOMPARE(grid->rowHeight(0), 18);
    QCOMPARE(grid->rowHeight(998), 18);
    QVERIFY(!grid->tabKeyNavigation());
    QCOMPARE(m_form->Label5->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    QVERIFY(m_form->Label5->font().bold());
    QCOMPARE(m_form->Label4->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QCOMPARE(m_form->Label4->text(), u"Obs:"_s);
    QCOMPARE(m_form->Memo1->font().pixelSize(), 12);
    QVERIFY(m_form->Memo1->font().bold());
    QCOMPARE(m_form->PageControl1->count(), 3);
    const QString tabs[] = {u"Instrução SQL"_s, u"Criar tabela"_s, u"SQL"_s};
    const QWidget* pages[] = {m_form->TabSheet1, m_form->TabSheet2, m_form->TabSheet3};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_form->PageControl1->tabText(i), tabs[i]);
        QCOMPARE(m_form->PageControl1->widget(i), pages[i]);
    }
}

void TestForm::tabOrder() {
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    // the focus sequence of the window, then page "Instrução SQL" (active), then back round
    const QStringList mainOrder = {u"FileListBox1"_s, u"DirectoryListBox1"_s, u"DriveComboBox1"_s,
                                   u"BitBtn1"_s,      u"BitBtn2"_s,           u"BitBtn3"_s,
                                   u"BitBtn4"_s,      u"BitBtn5"_s,           u"BitBtn6"_s,
                                   u"PageControl1"_s, u"RichEdit1"_s,         u"FileListBox1"_s};
    auto focusName = [] {
        QWidget* focus = QApplication::focusWidget();
        // the page control takes the focus through its tab bar, one of Qt's own parts
        while (focus != nullptr &&
               (focus->objectName().isEmpty() || focus->objectName().startsWith(u"qt_"_s)))
            focus = focus->parentWidget();
        return focus != nullptr ? focus->objectName() : QString();
    };
    m_form->FileListBox1->setFocus(Qt::TabFocusReason);
    QStringList seen = {focusName()};
    for (qsizetype i = 1; i < mainOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.append(focusName());
    }
    QCOMPARE(seen, mainOrder);

    m_form->PageControl1->setCurrentWidget(m_form->TabSheet2);
    const QStringList pageOrder = {u"criatabela"_s, u"BitBtn7"_s,  u"BitBtn8"_s,     u"BitBtn9"_s,
                                   u"Memo1"_s,      u"Edit1"_s,    u"BitBtn10"_s,    u"BitBtn11"_s,
                                   u"BitBtn12"_s,   u"BitBtn13"_s, u"FileListBox1"_s};
    m_form->criatabela->setFocus(Qt::TabFocusReason);
    seen = QStringList{focusName()};
    for (qsizetype i = 1; i < pageOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.append(focusName());
    }
    QCOMPARE(seen, pageOrder);
}

void TestForm::showSetsUpGridAndFirstPage() {
    StringGrid* grid = m_form->criatabela;
    m_form->PageControl1->setCurrentWidget(m_form->TabSheet2);
    grid->setCellText(1, 5, u"NOME"_s);
    m_form->show();
    QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1);
    const QString headings[] = {u"ID"_s,   u"Nome do campo"_s, u"TP"_s,
                                u"Tam."_s, u"Key (*)"_s,       u"Nulo (S/N)"_s};
    for (int c = 0; c < 6; ++c)
        QCOMPARE(grid->cellText(c, 0), headings[c]);
    QCOMPARE(grid->cellText(0, 1), u"001"_s);
    QCOMPARE(grid->cellText(0, 42), u"042"_s);
    QCOMPARE(grid->cellText(0, 999), u"999"_s);
    QCOMPARE(grid->cellText(1, 5), u"NOME"_s);

    m_form->PageControl1->setCurrentWidget(m_form->TabSheet3);
    m_form->hide();
    m_form->show();
    QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet1);
    QCOMPARE(grid->cellText(1, 5), u"NOME"_s);
    QVERIFY(m_prompts->errors.isEmpty());
}

void TestForm::resizingMovesOnlyStatusBar() {
    m_form->show();
    QList<QPair<QWidget*, QRect>> before;
    for (QWidget* child : m_form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != m_form->StatusBar1)
            before.append({child, child->geometry()});
    }
    m_form->resize(900, 700);
    for (const auto& [child, geometry] : before)
        QCOMPARE(child->geometry(), geometry);
    QCOMPARE(m_form->StatusBar1->geometry(), QRect(0, 700 - 19, 900, 19));
}

void TestForm::fimClosesWithoutQuestion() {
    m_form->show();
    m_form->RichEdit1->appendLine("unsaved");
    QTest::mouseClick(m_form->BitBtn5, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_prompts->errors.isEmpty());
    QVERIFY(m_prompts->messages.isEmpty());
    QVERIFY(m_prompts->saveRequests.isEmpty());
}

void TestForm::clearEmptiesPane() {
    m_form->RichEdit1->appendLine("one");
    m_form->RichEdit1->setCapacity(100);
    QTest::mouseClick(m_form->BitBtn2, Qt::LeftButton);
    QCOMPARE(m_form->RichEdit1->text(), QString());
    QTest::mouseClick(m_form->BitBtn2, Qt::LeftButton);
    QCOMPARE(m_form->RichEdit1->text(), QString());
    m_form->RichEdit1->appendLine("two");
    QCOMPARE(m_form->RichEdit1->lines(), QStringList{u"two"_s});
}

void TestForm::saveWritesChosenFile() {
    const QString path = m_dir->filePath(u"script.sql"_s);
    m_form->RichEdit1->appendLine("abc");
    m_prompts->fileAnswers.push_back(path);
    QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton);
    QVERIFY(m_prompts->errors.isEmpty());
    QCOMPARE(test::readFile(path), QByteArray("abc\r\n"));
    QCOMPARE(m_prompts->saveRequests.size(), 1);
    const FileDialogRequest& request = m_prompts->saveRequests.constFirst();
    QCOMPARE(request.filter, u"Arquivo.sql (*.sql)"_s);
    QVERIFY(request.hideFilterDetails);
    QCOMPARE(request.defaultSuffix, u"sql"_s);
    QCOMPARE(request.initialPath, u"/"_s);
    QVERIFY(!request.confirmOverwrite);
    QCOMPARE(m_form->RichEdit1->text(), u"abc\r\n"_s);
}

void TestForm::saveDialogOffersLastName() {
    const QString first = m_dir->filePath(u"first.sql"_s);
    m_prompts->fileAnswers = {first, std::nullopt, m_dir->filePath(u"second.sql"_s)};
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton);
    QCOMPARE(m_prompts->saveRequests.size(), 3);
    QCOMPARE(m_prompts->saveRequests[0].initialPath, u"/"_s);
    QCOMPARE(m_prompts->saveRequests[1].initialPath, first);
    QCOMPARE(m_prompts->saveRequests[2].initialPath, first); // a cancel changes nothing
    QCOMPARE(test::readFile(first), QByteArray());
    QVERIFY(QFile::exists(m_dir->filePath(u"second.sql"_s)));
}

void TestForm::saveCancelWritesNothing() {
    m_form->RichEdit1->appendLine("abc");
    QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton); // the queue is empty: a cancel
    QCOMPARE(m_prompts->saveRequests.size(), 1);
    QVERIFY(m_prompts->errors.isEmpty());
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QCOMPARE(m_form->RichEdit1->text(), u"abc\r\n"_s);
}

void TestForm::saveErrors_data() {
    QTest::addColumn<QString>("target"); // inside the temporary folder
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("needsPermissions");
    QTest::newRow("read-only file") << u"readonly.sql"_s << u"File access denied."_s << true;
    QTest::newRow("a folder") << u"folder.sql"_s << u"File access denied."_s << false;
    QTest::newRow("missing folder") << u"missing/x.sql"_s << u"Invalid filename."_s << false;
}

void TestForm::saveErrors() {
    QFETCH(QString, target);
    QFETCH(QString, shown);
    QFETCH(bool, needsPermissions);
    const QString readOnly = m_dir->filePath(u"readonly.sql"_s);
    test::writeFile(readOnly, "old");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    QDir(m_dir->path()).mkdir(u"folder.sql"_s);
    test::PermissionsObeyed obeyed;
    if (needsPermissions && !obeyed.active())
        QSKIP("file permissions cannot be made to apply to this process");

    m_form->RichEdit1->appendLine("kept");
    m_prompts->fileAnswers.push_back(m_dir->filePath(target));
    QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, QStringList{shown});
    QCOMPARE(m_form->RichEdit1->text(), u"kept\r\n"_s);
    QCOMPARE(test::readFile(readOnly), QByteArray("old"));
    // the window goes on: the next save works
    m_prompts->fileAnswers.push_back(m_dir->filePath(u"ok.sql"_s));
    QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton);
    QCOMPARE(test::readFile(m_dir->filePath(u"ok.sql"_s)), QByteArray("kept\r\n"));
}

void TestForm::regionalSettingsFollowSystemLocale() {
    const RegionalSettings system = regionalSettingsFromLocale(QLocale::system());
    QCOMPARE(m_form->regionalSettings().shortDatePattern, system.shortDatePattern);
    QCOMPARE(m_form->regionalSettings().decimalSeparator, system.decimalSeparator);
    // the notice of a change is taken without a fault and leaves the settings of the system
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(m_form.get(), &change);
    QCOMPARE(m_form->regionalSettings().shortDatePattern, system.shortDatePattern);
    QCOMPARE(m_form->regionalSettings().twentyFourHour, system.twentyFourHour);
    QVERIFY(m_prompts->errors.isEmpty());
}

VORENDAL_TEST_MAIN(TestForm)
#include "tst_form.moc"
