// The designer page driven as a user would: typing into the grid, the column hints, the row
// buttons, the table definition dialogs and the two script buttons with what they leave behind.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/stringgrid.h"
#include "app/tform1.h"
#include "fakeprompts.h"
#include "testsupport.h"

using namespace vorendal;
using namespace Qt::StringLiterals;

class TestDesigner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void typingEditsTheCellsAndShowsTheHint_data();
    void typingEditsTheCellsAndShowsTheHint();
    void headingsAreReadWhole();
    void rowButtons();
    void tableDefinitionDialogs();
    void scriptButtons();
    void scriptFailures_data();
    void scriptFailures();

private:
    void fillWorkedExample();
    QStringList names(int first, int last) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::CurrentDirectoryKeeper> m_keeper;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<TForm1> m_form;
};

void TestDesigner::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_keeper = std::make_unique<test::CurrentDirectoryKeeper>();
    QDir::setCurrent(m_dir->path()); // the folder the browser shows
    m_prompts = std::make_unique<FakePrompts>();
    m_form = std::make_unique<TForm1>(*m_prompts);
    m_form->show();
    m_form->PageControl1->setCurrentWidget(m_form->TabSheet2);
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestDesigner::cleanup() {
    m_form.reset();
    m_prompts.reset();
    m_keeper.reset();
    m_dir.reset();
}

void TestDesigner::fillWorkedExample() {
    const char* cells[] = {"codigo", "i", "",      "x", "",     "nome", "v", "60",
                           "",       "N", "saldo", "n", "15,2", "",     "S"};
    for (int i = 0; i < 15; ++i)
        m_form->criatabela->cells().setCell(i % 5 + 1, i / 5 + 1, cells[i]);
}

QStringList TestDesigner::names(int first, int last) const {
    QStringList texts;
    for (int r = first; r <= last; ++r)
        texts.append(m_form->criatabela->cellText(1, r));
    return texts;
}

void TestDesigner::headingsAreReadWhole() {
    const QHeaderView* headings = m_form->criatabela->horizontalHeader();
    for (int section = 0; section < 5; ++section)
        QVERIFY(headings->sectionSize(section) >= headings->sectionSizeHint(section));
    QCOMPARE(headings->sectionSize(0), 205); // room enough: as designed
}

void TestDesigner::typingEditsTheCellsAndShowsTheHint_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("hint");
    QTest::newRow("name") << 1 << u"Obs: Nome do campo"_s;
    QTest::newRow("type") << 2 << u"Obs: Tipo do campo V/I/B/N/C/D/T/M"_s;
    QTest::newRow("size") << 3 << u"Obs: Tamanho do campo"_s;
    QTest::newRow("key") << 4 << u"Obs: Informe * para definir a CHAVE PRIMARIA"_s;
    QTest::newRow("null") << 5 << u"Obs: S=>Aceita Nulo  N=> Não aceita"_s;
}

void TestDesigner::typingEditsTheCellsAndShowsTheHint() {
    QFETCH(int, col);
    QFETCH(QString, hint);
    StringGrid* grid = m_form->criatabela;
    grid->setFocus();
    grid->setCurrentCell(col, 7);
    QTest::keyClick(grid, Qt::Key_A); // the first key opens the editor
    QWidget* editor = QApplication::focusWidget();
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_Ccedilla, u"ç"_s, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_Atilde, u"ã"_s, Qt::NoModifier);
    QTest::keyClick(editor, Qt::Key_O);
    QCOMPARE(m_form->Label4->text(), hint);
    QVERIFY(m_form->Label4->width() >= m_form->Label4->sizeHint().width());
    QTest::keyClick(editor, Qt::Key_Tab); // keeps the text and leaves the grid
    QCOMPARE(QApplication::focusWidget(), m_form->BitBtn7);
    QCOMPARE(grid->cells().cell(col, 7), std::string("a\xE7\xE3o"));
    // setting a cell shows at once
    grid->cells().setCell(col, 8, "X");
    QCOMPARE(grid->model()->index(7, col - 1).data().toString(), u"X"_s);
    QVERIFY(m_prompts->errors.isEmpty());
}

void TestDesigner::rowButtons() {
    // the rules of the moves are the grid's own; here: the buttons move the current cell along
    StringGrid* grid = m_form->criatabela;
    grid->setCellText(1, 1, u"A"_s);
    grid->setCellText(1, 2, u"B"_s);
    m_form->Edit1->setText(u"t"_s);
    grid->setCurrentCell(5, 1);
    QTest::mouseClick(m_form->BitBtn11, Qt::LeftButton);
    QCOMPARE(names(1, 2), (QStringList{u"B"_s, u"A"_s}));
    QCOMPARE(grid->currentRow(), 2);
    QCOMPARE(grid->currentCol(), 5);
    grid->setCurrentCell(2, 999);
    QTest::mouseClick(m_form->BitBtn10, Qt::LeftButton);
    QCOMPARE(grid->currentRow(), 998);
    QVERIFY(grid->visualRect(grid->currentIndex()).intersects(grid->viewport()->rect()));
    QTest::mouseClick(m_form->BitBtn12, Qt::LeftButton);
    QCOMPARE(names(1, 2), (QStringList{{}, {}}));
    QCOMPARE(grid->cellText(0, 999), u"999"_s);
    QCOMPARE(m_form->Edit1->text(), u"t"_s);
    QCOMPARE(grid->currentRow(), 998);
}

void TestDesigner::tableDefinitionDialogs() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(documents).isDir())
        documents = QDir::homePath();
    const QString path = m_dir->filePath(u"design.tab"_s);
    fillWorkedExample();
    m_prompts->fileAnswers = {std::nullopt, path, path, m_dir->filePath(u"none.tab"_s)};
    QTest::mouseClick(m_form->BitBtn8, Qt::LeftButton); // cancelled
    QVERIFY(!QFile::exists(path));
    QTest::mouseClick(m_form->BitBtn8, Qt::LeftButton);
    QCOMPARE(test::readFile(path), "codigo\r\ni\r\n\r\nx\r\n\r\nnome\r\nv\r\n60\r\n\r\nN\r\n"
                                   "saldo\r\nn\r\n15,2\r\n\r\nS\r\n#\r\n");
    for (const FileDialogRequest& request : {m_prompts->saveRequests[0], m_form->Lertabela}) {
        QCOMPARE(request.filter, u"Definição de tabela (*.tab)"_s);
        QVERIFY(request.hideFilterDetails && !request.confirmOverwrite && !request.mustExist);
        QCOMPARE(request.defaultSuffix, u"tab"_s);
        QCOMPARE(request.initialPath, documents);
    }
    QCOMPARE(m_form->salvartabela.initialPath, path); // offered next time

    m_form->criatabela->cells().clear();
    m_form->criatabela->setCellText(1, 4, u"KEPT"_s);
    QTest::mouseClick(m_form->BitBtn9, Qt::LeftButton);
    QCOMPARE(names(1, 4), (QStringList{u"codigo"_s, u"nome"_s, u"saldo"_s, u"KEPT"_s}));
    QTest::mouseClick(m_form->BitBtn9, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, QStringList{u"File not found."_s});
    QCOMPARE(m_prompts->openRequests[1].initialPath, path);
    QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet2);

    // a definition of more than 100 rows: the first 100 are read, and the user is told
    QVERIFY(m_prompts->messages.isEmpty());
    QFile longFile(m_dir->filePath(u"long.tab"_s));
    QVERIFY(longFile.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 101; ++i)
        longFile.write("F" + QByteArray::number(i) + "\r\nI\r\n\r\n\r\n\r\n");
    longFile.close();
    m_prompts->fileAnswers = {longFile.fileName()};
    QTest::mouseClick(m_form->BitBtn9, Qt::LeftButton);
    QCOMPARE(
        m_prompts->messages,
        QStringList{u"A definição tem mais de 100 campos; só os 100 primeiros foram lidos."_s});
    QCOMPARE(names(100, 101), (QStringList{u"F100"_s, QString()}));
}

void TestDesigner::scriptButtons() {
    m_form->RichEdit2->setPlainText(u"old"_s);
    fillWorkedExample();
    QTest::mouseClick(m_form->BitBtn7, Qt::LeftButton); // no table name
    QCOMPARE(m_prompts->messages, QStringList{u"Voce não informou o nome da tabela!..."_s});
    QCOMPARE(names(1, 1), QStringList{u"codigo"_s});
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QCOMPARE(m_form->RichEdit2->toPlainText(), u"old"_s);

    m_form->Edit1->setText(u"clientes"_s);
    const QString script = m_dir->filePath(u"clientes.SQL"_s);
    for (QPushButton* button : {m_form->BitBtn7, m_form->BitBtn13}) {
        m_form->PageControl1->setCurrentWidget(m_form->TabSheet2);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet3);
        QCOMPARE(
            m_form->RichEdit2->toPlainText(),
            QString::fromLatin1(test::readFile(script)).replace(u"\r\n"_s, u"\n"_s).chopped(1));
        QCOMPARE(names(1, 3), (QStringList{u"CODIGO"_s, u"NOME"_s, u"SALDO"_s}));
    }
    QVERIFY(test::readFile(script).startsWith("ALTER TABLE CLIENTES\r\nADD \"CODIGO\""));
    QVERIFY(m_prompts->errors.isEmpty());
}

void TestDesigner::scriptFailures_data() {
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("needsPermissions");
    QTest::newRow("read-only script") << u"readonly"_s << u"File access denied."_s << true;
    QTest::newRow("path in the name") << u"../escape"_s << u"Invalid filename."_s << false;
}

void TestDesigner::scriptFailures() {
    QFETCH(QString, tableName);
    QFETCH(QString, shown);
    QFETCH(bool, needsPermissions);
    test::writeFile(m_dir->filePath(u"readonly.SQL"_s), "old");
    QFile::setPermissions(m_dir->filePath(u"readonly.SQL"_s), QFileDevice::ReadOwner);
    test::PermissionsObeyed obeyed;
    if (needsPermissions && !obeyed.active())
        QSKIP("file permissions cannot be made to apply to this process");

    fillWorkedExample();
    m_form->RichEdit2->setPlainText(u"old"_s);
    m_form->Edit1->setText(tableName);
    for (QPushButton* button : {m_form->BitBtn7, m_form->BitBtn13})
        QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, (QStringList{shown, shown}));
    QCOMPARE(names(1, 1), QStringList{u"codigo"_s});
    QCOMPARE(m_form->RichEdit2->toPlainText(), u"old"_s);
    QCOMPARE(m_form->PageControl1->currentWidget(), m_form->TabSheet2);
    QCOMPARE(test::readFile(m_dir->filePath(u"readonly.SQL"_s)), QByteArray("old"));
    QVERIFY(!QFile::exists(m_dir->filePath(u"../escape.SQL"_s)));
}

VORENDAL_TEST_MAIN(TestDesigner)
#include "tst_designer.moc"
