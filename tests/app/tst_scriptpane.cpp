// The script pane: appends, capacity, clearing and saving, through its public functions.

#include <memory>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/ansitext.h"
#include "app/errordisplay.h"
#include "app/scriptpane.h"
#include "base/exceptions.h"
#include "fakeprompts.h"
#include "testsupport.h"

using namespace vorendal;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vorendal::TextPosition)

class TestScriptPane : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appendCases_data();
    void appendCases();
    void appendLeavesCaretAtEndWithoutSelection();
    void viewFollowsAppends();
    void clearEmptiesPane();
    void capacityError_data();
    void capacityError();
    void capacityErrorIsShownWithFullStop();
    void saveBytes_data();
    void saveBytes();
    void saveReplacesExistingFile();
    void saveFailureKeepsPane();
    void userEditing_data();
    void userEditing();
    void clipboardAndSelectAll();
    void typingStopsAtCapacity();
    void keysMoveCaret();
    void presentation();
    void clickPlacesCaret();
    void caretAndClicksAgreeOnLongRows_data();
    void caretAndClicksAgreeOnLongRows();
    void tabsStopAlikeInShortAndLongRows();
    void undoKeys();
    void appendGroupIsOneUndo();
    void contextMenu();
};

void TestScriptPane::appendCases_data() {
    QTest::addColumn<QString>("userText"); // what the user left in the pane ("\n" = line break)
    QTest::addColumn<QByteArrayList>("appended");
    QTest::addColumn<QString>("expected"); // the pane's text, lines separated by CR LF
    QTest::addColumn<int>("lineCount");

    QTest::newRow("empty pane") << QString() << QByteArrayList{"abc"} << QStringLiteral("abc\r\n")
                                << 1;
    QTest::newRow("two lines") << QString() << QByteArrayList{"abc", "def"}
                               << QStringLiteral("abc\r\ndef\r\n") << 2;
    QTest::newRow("pane ending in a break")
        << QStringLiteral("x\n") << QByteArrayList{"abc"} << QStringLiteral("x\r\nabc\r\n") << 2;
    QTest::newRow("user text without a break")
        << QStringLiteral("x") << QByteArrayList{"abc"} << QStringLiteral("x\r\nabc") << 2;
    QTest::newRow("pane stays open after the user's line")
        << QStringLiteral("x") << QByteArrayList{"abc", "def"} << QStringLiteral("x\r\nabc\r\ndef")
        << 3;
    QTest::newRow("CR LF inside the text")
        << QString() << QByteArrayList{"a\r\nb"} << QStringLiteral("a\r\nb\r\n") << 2;
    QTest::newRow("text ending in CR LF")
        << QString() << QByteArrayList{"a\r\n"} << QStringLiteral("a\r\n\r\n") << 2;
    QTest::newRow("empty line") << QString() << QByteArrayList{"", "b"}
                                << QStringLiteral("\r\nb\r\n") << 2;
    QTest::newRow("1252 letters") << QString() << QByteArrayList{"a\xE7\x80\x9C"}
                                  << QStringLiteral("aç€œ\r\n") << 1;
    QTest::newRow("empty line after the user's line")
        << QStringLiteral("x") << QByteArrayList{""} << QStringLiteral("x\r\n") << 1;
}

void TestScriptPane::appendCases() {
    QFETCH(QString, userText);
    QFETCH(QByteArrayList, appended);
    QFETCH(QString, expected);
    QFETCH(int, lineCount);

    ScriptPane pane;
    pane.setText(userText);
    for (const QByteArray& line : appended)
        pane.appendLine(line.toStdString());
    QCOMPARE(pane.text(), expected);
    QCOMPARE(pane.lineCount(), lineCount);
    QCOMPARE(pane.lines().size(), lineCount);
}

void TestScriptPane::appendLeavesCaretAtEndWithoutSelection() {
    ScriptPane pane;
    pane.setText(QStringLiteral("hello\nworld"));
    pane.setSelection({0, 1}, {0, 4});
    QVERIFY(pane.hasSelection());
    pane.appendLine("abc");
    QVERIFY(!pane.hasSelection());
    QCOMPARE(pane.caret(), (TextPosition{2, 3}));
    pane.appendLine("");
    QCOMPARE(pane.caret(), (TextPosition{3, 0}));
}

void TestScriptPane::viewFollowsAppends() {
    ScriptPane pane;
    pane.resize(200, 100);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QVERIFY(!pane.verticalScrollBar()->isEnabled());
    for (int i = 0; i < 100; ++i)
        pane.appendLine("line");
    QCOMPARE(pane.lineCount(), 100); // the text is complete at once
    QCoreApplication::processEvents();
    QVERIFY(pane.verticalScrollBar()->isEnabled());
    QVERIFY(pane.verticalScrollBar()->maximum() > 0);
    QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
}

void TestScriptPane::clearEmptiesPane() {
    ScriptPane pane;
    pane.appendLine("one");
    pane.setSelection({0, 0}, {0, 2});
    pane.clearText();
    QCOMPARE(pane.text(), QString());
    QCOMPARE(pane.used(), std::size_t{0});
    QVERIFY(!pane.hasSelection());
    pane.appendLine("two");
    QCOMPARE(pane.lines(), QStringList{QStringLiteral("two")});
}

void TestScriptPane::capacityError_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("userText");
    QTest::addColumn<QByteArrayList>("appended"); // all but the last fit
    QTest::addColumn<QString>("kept");

    // "abcd" + CR LF costs 6
    QTest::newRow("second line one over")
        << 11 << QString() << QByteArrayList{"abcd", "abcd"} << QStringLiteral("abcd\r\n");
    QTest::newRow("user text counts, breaks as two")
        << 8 << QStringLiteral("ab\ncd") << QByteArrayList{"x"} << QStringLiteral("ab\r\ncd");
    QTest::newRow("line breaks inside the text count")
        << 8 << QString() << QByteArrayList{"a", "b\r\nc"} << QStringLiteral("a\r\n");
    QTest::newRow("nothing fits") << 2 << QString() << QByteArrayList{"a"} << QString();
}

void TestScriptPane::capacityError() {
    QFETCH(int, capacity);
    QFETCH(QString, userText);
    QFETCH(QByteArrayList, appended);
    QFETCH(QString, kept);

    ScriptPane pane;
    pane.setCapacity(static_cast<std::size_t>(capacity));
    pane.setText(userText);
    for (qsizetype i = 0; i + 1 < appended.size(); ++i)
        pane.appendLine(appended[i].toStdString());
    try {
        pane.appendLine(appended.last().toStdString());
        QFAIL("the append beyond the capacity went through");
    } catch (const EOutOfResources& e) {
        QCOMPARE(QString::fromStdString(e.message()),
                 QStringLiteral("RichEdit line insertion error"));
    }
    QCOMPARE(pane.text(), kept);
}

void TestScriptPane::capacityErrorIsShownWithFullStop() {
    ScriptPane pane;
    pane.setCapacity(12);
    FakePrompts prompts;
    guarded(prompts, [&] {
        pane.appendLine("abcd");
        pane.appendLine("abcd");
        pane.appendLine("abcd");
    });
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("RichEdit line insertion error.")});
    QCOMPARE(pane.lineCount(), 2);
}

void TestScriptPane::saveBytes_data() {
    QTest::addColumn<QString>("userText");
    QTest::addColumn<QByteArrayList>("appended");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray longLine(10000, 'x');
    QTest::newRow("empty pane") << QString() << QByteArrayList{} << QByteArray();
    QTest::newRow("abc") << QString() << QByteArrayList{"abc"} << QByteArray("abc\r\n");
    QTest::newRow("empty lines between")
        << QString() << QByteArrayList{"a", "", "", "b"} << QByteArray("a\r\n\r\n\r\nb\r\n");
    QTest::newRow("user text without final break")
        << QStringLiteral("abc\ndef") << QByteArrayList{} << QByteArray("abc\r\ndef\r\n");
    QTest::newRow("appended after user text")
        << QStringLiteral("x") << QByteArrayList{"y"} << QByteArray("x\r\ny\r\n");
    QTest::newRow("10,000 characters whole")
        << QString() << QByteArrayList{longLine} << QByteArray(longLine + "\r\n");
    QTest::newRow("1252 bytes") << QString() << QByteArrayList{"S\xE3o Jo\xE3o \x80"}
                                << QByteArray("S\xE3o Jo\xE3o \x80\r\n");
    QTest::newRow("typed characters beyond 1252")
        << QStringLiteral("a\u4E2Db") << QByteArrayList{} << QByteArray("a?b\r\n");
}

void TestScriptPane::saveBytes() {
    QFETCH(QString, userText);
    QFETCH(QByteArrayList, appended);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptPane pane;
    pane.setText(userText);
    for (const QByteArray& line : appended)
        pane.appendLine(line.toStdString());
    const QString path = dir.filePath(QStringLiteral("out.sql"));
    pane.saveToFile(test::nativePath(path));
    QVERIFY(QFile::exists(path));
    QCOMPARE(test::readFile(path), expected);
}

void TestScriptPane::saveReplacesExistingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.sql"));
    test::writeFile(path, QByteArray(1000, 'z'));
    ScriptPane pane;
    pane.appendLine("new");
    pane.saveToFile(test::nativePath(path));
    QCOMPARE(test::readFile(path), QByteArray("new\r\n"));
}

void TestScriptPane::saveFailureKeepsPane() {
    QTemporaryDir dir;
    ScriptPane pane;
    pane.appendLine("kept");
    try {
        pane.saveToFile(test::nativePath(dir.filePath(QStringLiteral("missing/x.sql"))));
        QFAIL("saving into a missing folder went through");
    } catch (const EInOutError& e) {
        QCOMPARE(e.errorCode(), 3);
    }
    QCOMPARE(pane.text(), QStringLiteral("kept\r\n"));
}

void TestScriptPane::userEditing_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<TextPosition>("anchor");
    QTest::addColumn<TextPosition>("caret");
    QTest::addColumn<QString>("keys"); // typed text; "<" Backspace, ">" Delete, "|" Enter
    QTest::addColumn<QString>("expected");

    QTest::newRow("type in the middle")
        << QStringLiteral("abcd") << TextPosition{0, 2} << TextPosition{0, 2}
        << QStringLiteral("XY") << QStringLiteral("abXYcd");
    QTest::newRow("backspace joins lines")
        << QStringLiteral("ab\ncd") << TextPosition{1, 0} << TextPosition{1, 0}
        << QStringLiteral("<") << QStringLiteral("abcd");
    QTest::newRow("delete joins lines")
        << QStringLiteral("ab\ncd") << TextPosition{0, 2} << TextPosition{0, 2}
        << QStringLiteral(">") << QStringLiteral("abcd");
    QTest::newRow("typing replaces a selection over lines")
        << QStringLiteral("ab\ncd\nef") << TextPosition{0, 1} << TextPosition{2, 1}
        << QStringLiteral("Z") << QStringLiteral("aZf");
    QTest::newRow("enter breaks no line")
        << QStringLiteral("ab") << TextPosition{0, 1} << TextPosition{0, 1} << QStringLiteral("|x|")
        << QStringLiteral("axb");
    QTest::newRow("character beyond 1252") << QString() << TextPosition{} << TextPosition{}
                                           << QStringLiteral("a\u4E2D") << QStringLiteral("a?");
    QTest::newRow("backspace at the start")
        << QStringLiteral("ab") << TextPosition{} << TextPosition{} << QStringLiteral("<")
        << QStringLiteral("ab");
}

void TestScriptPane::userEditing() {
    QFETCH(QString, start);
    QFETCH(TextPosition, anchor);
    QFETCH(TextPosition, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    ScriptPane pane;
    pane.show();
    pane.setText(start);
    pane.setSelection(anchor, caret);
    for (const QChar key : keys) {
        if (key == u'<')
            QTest::keyClick(&pane, Qt::Key_Backspace);
        else if (key == u'>')
            QTest::keyClick(&pane, Qt::Key_Delete);
        else if (key == u'|')
            QTest::keyClick(&pane, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, &pane, Qt::Key_unknown, QString(key), Qt::NoModifier);
    }
    QCOMPARE(pane.text(), QString(expected).replace(u'\n', QStringLiteral("\r\n")));
}

void TestScriptPane::clipboardAndSelectAll() {
    ScriptPane pane;
    pane.show();
    pane.setText(QStringLiteral("one\ntwo"));
    QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(pane.selectedText(), QStringLiteral("one\r\ntwo"));
    QTest::keyClick(&pane, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(pane.text(), QString());
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pane.lines(),
             (QStringList{QStringLiteral("one"), QStringLiteral("twoone"), QStringLiteral("two")}));
}

void TestScriptPane::typingStopsAtCapacity() {
    ScriptPane pane;
    pane.show();
    pane.setCapacity(5);
    pane.appendLine("ab"); // 4
    QTest::keyClicks(&pane, QStringLiteral("xyz"));
    QCOMPARE(pane.text(), QStringLiteral("ab\r\nx"));
}

void TestScriptPane::keysMoveCaret() {
    ScriptPane pane;
    pane.resize(300, 200);
    pane.show();
    pane.setText(QStringLiteral("abcdef\nxy\nlonger line"));
    pane.setSelection({0, 5}, {0, 5});
    QTest::keyClick(&pane, Qt::Key_Down);
    QCOMPARE(pane.caret(), (TextPosition{1, 2})); // the row is shorter
    QTest::keyClick(&pane, Qt::Key_Down);
    QCOMPARE(pane.caret(), (TextPosition{2, 5})); // the column comes back
    QTest::keyClick(&pane, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(pane.selectedText(), QStringLiteral("longe"));
    QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pane.caret(), (TextPosition{2, 11}));
    QVERIFY(!pane.hasSelection());
    QTest::keyClick(&pane, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(pane.caret(), (TextPosition{0, 0}));
    QTest::keyClick(&pane, Qt::Key_Left);
    QCOMPARE(pane.caret(), (TextPosition{0, 0}));
}

void TestScriptPane::presentation() {
    QWidget window;
    auto* pane = new ScriptPane(&window);
    auto* next = new QLineEdit(&window);
    next->move(0, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
    QCOMPARE(pane->text(), QString());
    QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(pane->font().pixelSize(), 11);
    QVERIFY(pane->font().fixedPitch());
}

void TestScriptPane::clickPlacesCaret() {
    ScriptPane pane;
    pane.resize(300, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.setText(QStringLiteral("aaaa\nbbbb\ncccc"));
    const int row = pane.fontMetrics().lineSpacing();
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(0, 2 + 2 * row + row / 2));
    QCOMPARE(pane.caret(), (TextPosition{2, 0}));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(250, 2 + row / 2));
    QCOMPARE(pane.selectedText(), QStringLiteral("\r\nbbbb\r\n"));
}

void TestScriptPane::caretAndClicksAgreeOnLongRows_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<int>("upFromThird"); // the column that Up from column 3 below reaches

    // wider than the 33 million pixels a text layout can place
    QFont face = ScriptPane().font();
    const auto wide = static_cast<int>(4e7 / QFontMetricsF(face).horizontalAdvance(u' '));
    QByteArray digits(wide, 'x');
    for (int i = 0; i < wide; i += 10)
        digits[i] = static_cast<char>('0' + i / 10 % 10);
    QTest::newRow("short") << QByteArray("select from t") << QList<int>{0, 6, 13} << 3;
    QTest::newRow("millions of characters")
        << digits << QList<int>{wide, wide - 7, wide / 2, 3} << 3;
    QTest::newRow("long, with tabs")
        << QByteArray("ab\tcdefghijkl\t").repeated(1000) << QList<int>{14000, 3, 2, 7777, 0} << 2;
}

void TestScriptPane::caretAndClicksAgreeOnLongRows() {
    QFETCH(QByteArray, row);
    QFETCH(QList<int>, columns);
    QFETCH(int, upFromThird);
    ScriptPane pane;
    pane.resize(400, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.appendLine("above");
    pane.appendLine(row.toStdString());
    pane.appendLine("below");
    QCoreApplication::processEvents();
    for (const int column : columns) {
        const TextPosition at{1, static_cast<std::size_t>(column)};
        pane.setSelection(at, at);
        // the caret is shown, and a click where it is drawn puts it back there
        const QRect caret =
            static_cast<QWidget&>(pane).inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QPoint spot = pane.viewport()->mapFrom(&pane, caret.center());
        QVERIFY2(pane.viewport()->rect().contains(spot), qPrintable(QString::number(column)));
        pane.setSelection({2, 0}, at); // the view stays; the click drops the selection
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, spot);
        QVERIFY(!pane.hasSelection());
        QCOMPARE(pane.caret().column, at.column);
        QCOMPARE(pane.caret().row, at.row);
    }
    // up and down keep the caret's place across the long row
    pane.setSelection({2, 3}, {2, 3});
    QTest::keyClick(&pane, Qt::Key_Up);
    QCOMPARE(pane.caret(), (TextPosition{1, static_cast<std::size_t>(upFromThird)}));
    QTest::keyClick(&pane, Qt::Key_End);
    QTest::keyClick(&pane, Qt::Key_Down);
    QCOMPARE(pane.caret(), (TextPosition{2, 5}));
}

void TestScriptPane::tabsStopAlikeInShortAndLongRows() {
    ScriptPane pane;
    pane.resize(400, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    const std::string start = "a\tbcdefghij\tk";
    pane.appendLine(start);
    pane.appendLine(start + std::string(10000, 'z'));
    pane.appendLine(std::string(24, ' '));
    auto caretX = [&](std::size_t row, std::size_t column) {
        pane.setSelection({row, column}, {row, column});
        return static_cast<QWidget&>(pane).inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
    };
    for (std::size_t column = 0; column <= start.size(); ++column)
        QCOMPARE(caretX(1, column), caretX(0, column));
    // a tab reaches the next multiple of eight characters
    QCOMPARE(caretX(0, 2), caretX(2, 8));
    QCOMPARE(caretX(0, 12), caretX(2, 24));
}

void TestScriptPane::undoKeys() {
    ScriptPane pane;
    pane.show();
    QTest::keyClicks(&pane, QStringLiteral("abc"));
    QTest::keyClick(&pane, Qt::Key_Left);
    QTest::keyClicks(&pane, QStringLiteral("X"));
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane.text(), QStringLiteral("abc"));
    QCOMPARE(pane.caret(), (TextPosition{0, 2}));
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane.text(), QString());
    QTest::keyClick(&pane, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pane.text(), QStringLiteral("abc"));
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pane.text(), QStringLiteral("abXc"));
    QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&pane, Qt::Key_X, Qt::ControlModifier); // cut
    pane.clearText();                                       // "Limpar" of nothing: no step
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane.text(), QStringLiteral("abXc"));
}

void TestScriptPane::appendGroupIsOneUndo() {
    ScriptPane pane;
    pane.show();
    pane.setText(QStringLiteral("user"));
    try {
        const ScriptPane::AppendGroup run(pane);
        pane.appendLine("CREATE TABLE T (");
        pane.appendLine(");");
        throw EOutOfResources("stops halfway");
    } catch (const EOutOfResources&) {
    }
    pane.appendLine("next");
    pane.undo();
    QCOMPARE(pane.text(), QStringLiteral("user\r\nCREATE TABLE T (\r\n);"));
    pane.undo();
    QCOMPARE(pane.text(), QStringLiteral("user"));
    QCOMPARE(pane.caret(), (TextPosition{0, 4}));
}

void TestScriptPane::contextMenu() {
    ScriptPane pane;
    pane.show();
    pane.setText(QStringLiteral("one two"));
    pane.setSelection({0, 0}, {0, 3});
    QApplication::clipboard()->setText(QStringLiteral("x"));
    std::unique_ptr<QMenu> menu(pane.createContextMenu(nullptr));
    QStringList texts;
    QList<bool> enabled;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        texts.append(action->text());
        enabled.append(action->isEnabled());
    }
    QCOMPARE(texts, (QStringList{u"Desfazer"_s, u"Refazer"_s, u"Recortar"_s, u"Copiar"_s,
                                 u"Colar"_s, u"Excluir"_s, u"Selecionar tudo"_s}));
    QCOMPARE(enabled, (QList<bool>{true, false, true, true, true, true, true}));
    menu->actions().at(6)->trigger(); // "Excluir"
    QCOMPARE(pane.text(), QStringLiteral(" two"));
    menu.reset(pane.createContextMenu(nullptr));
    menu->actions().at(0)->trigger(); // "Desfazer"
    QCOMPARE(pane.text(), QStringLiteral("one two"));
}

VORENDAL_TEST_MAIN(TestScriptPane)
#include "tst_scriptpane.moc"
