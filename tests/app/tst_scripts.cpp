// "SQL", "Stored" and "Importar" on a table chosen in the file list: what they append to the
// script pane, what a failure shows and leaves behind, the export's progress dialog and its
// Cancel, what the status bar tells of characters written as "?", that vorendal-cli writes
// the bytes that "Salvar" writes, and a password-protected table.

#include <cstdio>

#include <QApplication>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/filelistbox.h"
#include "app/scriptpane.h"
#include "app/tform1.h"
#include "cli/commands.h"
#include "fakeprompts.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/paradoxfixture.h"
#include "testsupport.h"

using namespace vorendal;
using namespace vorendal::fixtures;
using namespace Qt::StringLiterals;

class TestScripts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void cliWritesWhatSalvarWrites();
    void nothingSelected();
    void cancelStopsTheExportSilently();
    void protectedTableExportsLikeAnyOther();
    void failedRequestLeavesTheTableClosed();
    void fullPaneTellsHowManyRecordsItTook();
    void charactersWrittenAsQuestionMarksAreTold();

private:
    void select(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::CurrentDirectoryKeeper> m_keeper;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<TForm1> m_form;
};

void TestScripts::init() {
    m_keeper = std::make_unique<test::CurrentDirectoryKeeper>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());

    // memos with every kind of line break, and an apostrophe in a name
    DbtBuilder memos(DbtBuilder::Style::DBase3);
    const auto first = memos.add("linha 1\r\nlinha 2\rlinha 3\nfim de 'texto'");
    const auto second = memos.add("\r\n");
    DbfBuilder memoTable(0x83);
    memoTable.field("NOME", 'C', 20).field("OBS", 'M', 10).field("QTD", 'N', 5);
    memoTable.record({dbfText("O'Brien", 20), dbfMemoPointer(first), dbfNumber("12", 5)});
    memoTable.record({dbfText("Ana", 20), dbfMemoPointer(second), dbfNumber("-3", 5)});
    test::writeFile(m_dir->filePath(u"Memos.dbf"_s), QByteArray::fromStdString(memoTable.bytes()));
    test::writeFile(m_dir->filePath(u"Memos.dbt"_s), QByteArray::fromStdString(memos.bytes()));

    DbfBuilder large(0x03);
    large.field("N", 'N', 6);
    for (int i = 0; i < 3000; ++i)
        large.record({dbfNumber(std::to_string(i), 6)});
    test::writeFile(m_dir->filePath(u"Large.dbf"_s), QByteArray::fromStdString(large.bytes()));
    test::writeFile(m_dir->filePath(u"Cut.dbf"_s),
                    QByteArray::fromStdString(large.bytes()).left(2000));

    // Cyrillic (1251) in the name and the values, which 1252 cannot hold
    DbfBuilder russian(0x03);
    russian.languageDriver(0xC9).field("\xC8\xCC\xDF", 'C', 10);
    russian.record({dbfText("\xC0\xE1\xE2", 10)}).record({dbfText("\xC0?", 10)});
    test::writeFile(m_dir->filePath(u"Russo.dbf"_s), QByteArray::fromStdString(russian.bytes()));

    // password protected, its memos in the scrambled .MB
    ParadoxTableBuilder locked(11);
    locked.field("Id", 'S').field("Nome", 'A', 10).field("Obs", 'M', 4).encryption(0x0A25E09A);
    locked.row({px::shortInt(1), px::alpha("Ana"), px::blob("guardado no arquivo de blobs")});
    locked.row({px::shortInt(2), px::alpha("Rui"), px::blob(std::string(3000, 'z'))});
    locked.build().writeTo(test::nativePath(m_dir->path()), "Senha");

    std::filesystem::current_path(test::nativePath(m_dir->path()));
    m_prompts = std::make_unique<FakePrompts>();
    m_form = std::make_unique<TForm1>(*m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestScripts::cleanup() {
    m_form.reset();
    m_prompts.reset();
    m_keeper.reset();
    m_dir.reset();
}

void TestScripts::select(const QString& name) {
    const auto found = m_form->FileListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    m_form->FileListBox1->clearSelection();
    found.constFirst()->setSelected(true);
}

void TestScripts::cliWritesWhatSalvarWrites() {
    select(u"Memos.dbf"_s);
    QTest::mouseClick(m_form->BitBtn1, Qt::LeftButton);
    QTest::mouseClick(m_form->BitBtn4, Qt::LeftButton);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, QStringList());
    QVERIFY(!m_form->Table1.Active());
    const QStringList lines = m_form->RichEdit1->lines();
    QCOMPARE(lines.mid(lines.size() - 7),
             (QStringList{u"EXECUTE PROCEDURE IN_MEMOS('O''Brien','linha 1"_s, u"linha 2"_s,
                          u"linha 3"_s, u"fim de ''texto''',12);"_s,
                          u"EXECUTE PROCEDURE IN_MEMOS('Ana','"_s, u"',-3);"_s, QString()}));

    const QString saved = m_dir->filePath(u"saved.sql"_s);
    m_prompts->fileAnswers.push_back(saved);
    QTest::mouseClick(m_form->BitBtn3, Qt::LeftButton);

    const QString written = m_dir->filePath(u"cli.sql"_s);
    cli::Options options;
    options.command = "all";
    options.operands = {m_form->FileListBox1->FileName()};
    std::FILE* out = std::fopen(test::nativePath(written).c_str(), "wb");
    QVERIFY(out != nullptr);
    const int status = cli::findCommand("all")->run(options, out);
    std::fclose(out);
    QCOMPARE(status, 0);
    QCOMPARE(test::readFile(written), test::readFile(saved));
    QVERIFY(test::readFile(saved).contains("'linha 1\r\nlinha 2\r\nlinha 3\r\nfim"));
}

void TestScripts::nothingSelected() {
    QTest::mouseClick(m_form->BitBtn1, Qt::LeftButton);
    QCOMPARE(m_form->RichEdit1->lines(), (QStringList{u"CREATE TABLE \"\""_s, u"("_s}));
    QTest::mouseClick(m_form->BitBtn4, Qt::LeftButton);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_form->RichEdit1->lineCount(), 2);
    QCOMPARE(m_prompts->errors, QStringList(3, u"Table1: Missing TableName property."_s));
}

void TestScripts::cancelStopsTheExportSilently() {
    select(u"Large.dbf"_s);
    m_form->exportProgressDelay = std::chrono::milliseconds(0);
    bool cancelled = false;
    // runs when the export first lets the shown dialog take its events
    QTimer::singleShot(0, m_form.get(), [&] {
        auto* dialog = m_form->findChild<QProgressDialog*>(u"ExportProgress"_s);
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), dialog);
        QCOMPARE(dialog->labelText(), u"Registros exportados: 1024"_s);
        dialog->cancel();
        cancelled = true;
    });
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QVERIFY(cancelled);
    QCOMPARE(m_prompts->errors, QStringList());
    QCOMPARE(m_form->RichEdit1->lineCount(), 1024);
    QCOMPARE(m_form->RichEdit1->lines().constLast(), u"EXECUTE PROCEDURE IN_LARGE(1023);"_s);
    QVERIFY(!m_form->Table1.Active());
    QVERIFY(m_form->findChild<QProgressDialog*>() == nullptr);

    // without the dialog's delay passing, the export runs to its end
    m_form->exportProgressDelay = std::chrono::hours(1);
    m_form->RichEdit1->clearText();
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_form->RichEdit1->lineCount(), 3001);
}

void TestScripts::protectedTableExportsLikeAnyOther() {
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton); // list the Paradox tables
    select(u"Senha.DB"_s);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, QStringList());
    const QStringList lines = m_form->RichEdit1->lines();
    QCOMPARE(
        lines.mid(lines.size() - 3),
        (QStringList{u"EXECUTE PROCEDURE IN_SENHA(1,'Ana','guardado no arquivo de blobs');"_s,
                     u"EXECUTE PROCEDURE IN_SENHA(2,'Rui','"_s + QString(3000, u'z') + u"');"_s,
                     QString()}));
}

void TestScripts::failedRequestLeavesTheTableClosed() {
    select(u"Cut.dbf"_s);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_prompts->errors.size(), 1);
    QVERIFY2(m_prompts->errors[0].startsWith(u"The table file is truncated"_s),
             qPrintable(m_prompts->errors[0]));
    QVERIFY(!m_form->Table1.Active());
    // the next requests, on another table, start clean
    select(u"Memos.dbf"_s);
    QTest::mouseClick(m_form->BitBtn1, Qt::LeftButton);
    QTest::mouseClick(m_form->BitBtn4, Qt::LeftButton);
    QCOMPARE(m_prompts->errors.size(), 1);
    QCOMPARE(m_form->RichEdit1->lines().constLast(), u"SET AUTODDL ON;"_s);
}

void TestScripts::fullPaneTellsHowManyRecordsItTook() {
    // records 0 to 9 take 32 characters each with their line break, 10 to 29 take 33: the 31st
    // does not fit in 1000
    m_form->RichEdit1->setCapacity(1000);
    select(u"Large.dbf"_s);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton);
    QCOMPARE(m_prompts->errors,
             QStringList(u"RichEdit line insertion error.\nForam acrescentados ao painel 30 de "
                         "3.000 registros. O comando vorendal-cli data TABELA -o ARQUIVO grava "
                         "uma tabela de qualquer tamanho."_s));
    QCOMPARE(m_form->RichEdit1->lineCount(), 30);
    QVERIFY(!m_form->Table1.Active());
}

void TestScripts::charactersWrittenAsQuestionMarksAreTold() {
    const auto told = [this] { return m_form->StatusBar1->currentMessage(); };
    select(u"Russo.dbf"_s);
    QTest::mouseClick(m_form->BitBtn1, Qt::LeftButton); // the name's three letters
    QCOMPARE(told(), u"3 caracteres sem equivalente no Windows-1252 foram escritos como \"?\"; "
                     "vorendal-cli --firebird mantém todos."_s);
    QTest::mouseClick(m_form->BitBtn6, Qt::LeftButton); // the values' four, not the name's
    QVERIFY2(told().startsWith(u"4 caracteres sem"_s), qPrintable(told()));
    QTest::mouseClick(m_form->BitBtn2, Qt::LeftButton); // the next request clears it
    QCOMPARE(told(), QString());

    // a letter typed that 1252 lacks (QTest types ASCII only)
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"Ж"_s);
    QApplication::sendEvent(m_form->RichEdit1, &typed);
    QCOMPARE(told(), u"1 caractere digitado ou colado sem equivalente no Windows-1252, a "
                     "codificação do script, ficou como \"?\"."_s);
    QApplication::sendEvent(m_form->RichEdit1, &typed); // typing on adds up
    QVERIFY2(told().startsWith(u"2 caracteres digitados"_s), qPrintable(told()));
    QCOMPARE(m_prompts->errors, QStringList());
}

VORENDAL_TEST_MAIN(TestScripts)
#include "tst_scripts.moc"
