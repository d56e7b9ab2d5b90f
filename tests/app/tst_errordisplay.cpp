// The error display, guarded(), the notify() backstop, the application title and the crossing
// between QString and Windows-1252.

#include <stdexcept>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include "app/ansitext.h"
#include "app/application.h"
#include "app/errordisplay.h"
#include "base/exceptions.h"
#include "fakeprompts.h"
#include "testsupport.h"

Q_DECLARE_METATYPE(std::exception_ptr)

using namespace vorendal;

namespace {

// An object whose event handler fails, as a handler that escaped guarded() would.
class FailingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw EInOutError(5);
        return QObject::event(event);
    }
};

} // namespace

class TestErrorDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void displayText_data();
    void displayText();
    void guardedShowsOnceAndGoesOn();
    void notifyIsTheBackstop();
    void applicationTitle_data();
    void applicationTitle();
    void ansiRoundTripsEveryByte();
    void ansiSubstitutes_data();
    void ansiSubstitutes();
};

void TestErrorDisplay::displayText_data() {
    QTest::addColumn<std::exception_ptr>("error");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("silent abort") << std::make_exception_ptr(EAbort()) << false << QString();
    QTest::newRow("I/O error") << std::make_exception_ptr(EInOutError(5)) << true
                               << QStringLiteral("File access denied.");
    QTest::newRow("I/O error by number")
        << std::make_exception_ptr(EInOutError(32)) << true << QStringLiteral("I/O error 32.");
    QTest::newRow("1252 message") << std::make_exception_ptr(Exception("Tabela inv\xE1lida"))
                                  << true << QStringLiteral("Tabela inválida.");
    QTest::newRow("engine error, two lines")
        << std::make_exception_ptr(EDBEngineError(0x2401, "Corrupt file", {"Table: A.DB"})) << true
        << QStringLiteral("Corrupt file\nTable: A.DB.");
    QTest::newRow("library error in UTF-8")
        << std::make_exception_ptr(std::runtime_error("caf\xC3\xA9")) << true
        << QStringLiteral("café.");
    QTest::newRow("empty message") << std::make_exception_ptr(Exception("")) << true << QString();
}

void TestErrorDisplay::displayText() {
    QFETCH(std::exception_ptr, error);
    QFETCH(bool, shown);
    QFETCH(QString, text);
    const std::optional<QString> result = errorDisplayText(error);
    QCOMPARE(result.has_value(), shown);
    if (shown)
        QCOMPARE(*result, text);
}

void TestErrorDisplay::guardedShowsOnceAndGoesOn() {
    FakePrompts prompts;
    int steps = 0;
    guarded(prompts, [&] {
        ++steps;
        throw Exception("Disk full");
    });
    guarded(prompts, [&] {
        ++steps;
        throw EAbort();
    });
    guarded(prompts, [&] { ++steps; });
    QCOMPARE(steps, 3);
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("Disk full.")});
}

void TestErrorDisplay::notifyIsTheBackstop() {
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    FakePrompts prompts;
    app->setErrorPrompts(&prompts);
    FailingObject target;
    QEvent event(QEvent::User);
    const bool handled = QCoreApplication::sendEvent(&target, &event);
    app->setErrorPrompts(nullptr);
    QVERIFY(!handled);
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("File access denied.")});
}

void TestErrorDisplay::applicationTitle_data() {
    QTest::addColumn<QString>("programFile");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/vorendal") << QStringLiteral("vorendal");
    QTest::newRow("upper case") << QStringLiteral("/opt/VORENDAL.EXE")
                                << QStringLiteral("Vorendal");
    QTest::newRow("cut at the first dot")
        << QStringLiteral("Vorendal.bin.old") << QStringLiteral("Vorendal");
    QTest::newRow("first letter stays") << QStringLiteral("vORENDAL") << QStringLiteral("vorendal");
    QTest::newRow("dot in the folder")
        << QStringLiteral("/home/a.b/Tool") << QStringLiteral("Tool");
    QTest::newRow("accented") << QStringLiteral("ÉDITEUR") << QStringLiteral("Éditeur");
}

void TestErrorDisplay::applicationTitle() {
    QFETCH(QString, programFile);
    QFETCH(QString, title);
    QCOMPARE(Application::titleFromProgramName(programFile), title);
}

void TestErrorDisplay::ansiRoundTripsEveryByte() {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const QString text = toQString(all);
    QCOMPARE(text.size(), qsizetype{256});
    QCOMPARE(text.at(0x80), QChar(0x20AC)); // not Latin-1
    QCOMPARE(text.at(0xE9), QChar(0xE9));
    QVERIFY(toAnsi(text) == all);
}

void TestErrorDisplay::ansiSubstitutes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("ansi");
    QTest::addColumn<int>("replaced"); // characters that became '?'
    QTest::newRow("no 1252 form") << QStringLiteral("a\u4E2Db") << QByteArray("a?b") << 1;
    QTest::newRow("surrogate pair is one character")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b") << 1;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << 1;
    QTest::newRow("euro and quotes") << QStringLiteral("€“”") << QByteArray("\x80\x93\x94") << 0;
    QTest::newRow("question marks of its own")
        << QStringLiteral("?¿Ж") << QByteArray("?\xBF?") << 1;
}

void TestErrorDisplay::ansiSubstitutes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, ansi);
    QFETCH(int, replaced);
    std::uint64_t counted = 0;
    QCOMPARE(QByteArray::fromStdString(toAnsi(text, counted)), ansi);
    QCOMPARE(counted, static_cast<std::uint64_t>(replaced));
}

VORENDAL_TEST_MAIN(TestErrorDisplay)
#include "tst_errordisplay.moc"
