// The browser's rules without widgets: masks, listing, the tree's entries, the full path and
// entering a folder.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/folderbrowsing.h"
#include "app/namecollation.h"
#include "base/exceptions.h"
#include "testsupport.h"

using namespace vorendal;
namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

class TestFolderBrowsing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void masks_data();
    void masks();
    void maskParts();
    void listing_data();
    void listing();
    void listingUnreadableFolder();
    void fullPath_data();
    void fullPath();
    void treeEntries();
    void treeEntriesAtRoot();
    void enteringSetsCurrentDirectory();
    void failedEnteringKeepsCurrentDirectory_data();
    void failedEnteringKeepsCurrentDirectory();
    void collationOrder_data();
    void collationOrder();

private:
    static void makeFiles(const QString& folder, const QStringList& names);
};

void TestFolderBrowsing::makeFiles(const QString& folder, const QStringList& names) {
    for (const QString& name : names) {
        if (name.endsWith(QLatin1Char('/')))
            QDir(folder).mkpath(name);
        else
            test::writeFile(folder + QLatin1Char('/') + name, "x");
    }
}

void TestFolderBrowsing::masks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");
    QTest::newRow("extension") << "a.dbf"
                               << "*.dbf" << true;
    QTest::newRow("upper-case name") << "CLIENTES.DBF"
                                     << "*.dbf" << true;
    QTest::newRow("upper-case pattern") << "x.db"
                                        << "*.DB" << true;
    QTest::newRow("longer extension") << "x.dbf"
                                      << "*.db" << false;
    QTest::newRow("shorter extension") << "x.db"
                                       << "*.dbf" << false;
    QTest::newRow("two dots") << "a.b.db"
                              << "*.db" << true;
    QTest::newRow("no extension") << "dbf"
                                  << "*.dbf" << false;
    QTest::newRow("question mark") << "a1.db"
                                   << "a?.db" << true;
    QTest::newRow("question mark needs one") << "a.db"
                                             << "a?.db" << false;
    QTest::newRow("star alone") << "anything"
                                << "*" << true;
    QTest::newRow("many stars, no match") << "aaaaaaaaaaaaaaaaaaaaaaaaaaaaab"
                                          << "*a*a*a*a*a*c" << false;
    QTest::newRow("empty pattern") << "a"
                                   << "" << false;
}

void TestFolderBrowsing::masks() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(maskMatches(name.toStdString(), pattern.toStdString()), matches);
}

void TestFolderBrowsing::maskParts() {
    QCOMPARE(splitMask("*.dbf;*.db"), (std::vector<std::string>{"*.dbf", "*.db"}));
    QCOMPARE(splitMask(";*.db;;"), (std::vector<std::string>{"*.db"}));
    QCOMPARE(splitMask(""), std::vector<std::string>{});
}

void TestFolderBrowsing::listing_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("listed");
    const QStringList mixed = {u"b.dbf"_s,       u"A.DBF"_s,    u"c.db"_s,      u"C.dbf"_s,
                               u".hidden.dbf"_s, u"dir.dbf/"_s, u"notes.txt"_s, u"x.dbf.bak"_s};
    QTest::newRow("dbf, sorted ignoring case")
        << mixed << "*.dbf" << QStringList{u"A.DBF"_s, u"b.dbf"_s, u"C.dbf"_s};
    QTest::newRow("db") << mixed << "*.db" << QStringList{u"c.db"_s};
    QTest::newRow("two patterns") << mixed << "*.db;*.txt"
                                  << QStringList{u"c.db"_s, u"notes.txt"_s};
    QTest::newRow("overlapping patterns list a file once")
        << mixed << "*.dbf;A*" << QStringList{u"A.DBF"_s, u"b.dbf"_s, u"C.dbf"_s};
    QTest::newRow("empty folder") << QStringList{} << "*.dbf" << QStringList{};
    QTest::newRow("same name, case apart")
        << QStringList{u"b.dbf"_s, u"B.dbf"_s, u"a.dbf"_s} << "*.dbf"
        << QStringList{u"a.dbf"_s, u"B.dbf"_s, u"b.dbf"_s};
}

void TestFolderBrowsing::listing() {
    QFETCH(QStringList, present);
    QFETCH(QString, mask);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    makeFiles(dir.path(), present);
    QStringList names;
    for (const auto& name : listFolderFiles(test::nativePath(dir.path()), mask.toStdString()))
        names.append(QString::fromStdString(name));
    QCOMPARE(names, listed);
}

void TestFolderBrowsing::listingUnreadableFolder() {
    QTemporaryDir dir;
    try {
        listFolderFiles(test::nativePath(dir.filePath(QStringLiteral("gone"))), "*.dbf");
        QFAIL("a missing folder was listed");
    } catch (const EInOutError& e) {
        QCOMPARE(e.errorCode(), 2);
    }
}

void TestFolderBrowsing::fullPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("root") << "/"
                          << "x.db"
                          << "/x.db";
    QTest::newRow("folder") << "/home/ana"
                            << "a.dbf"
                            << "/home/ana/a.dbf";
    QTest::newRow("folder ending in slash") << "/home/ana/"
                                            << "a.dbf"
                                            << "/home/ana/a.dbf";
}

void TestFolderBrowsing::fullPath() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(joinFolderAndName(folder.toStdString(), name.toStdString())),
             path);
}

void TestFolderBrowsing::treeEntries() {
    QTemporaryDir dir;
    makeFiles(dir.path(), {u"beta/"_s, u"Alpha/"_s, u".git/"_s, u"file.dbf"_s, u"gamma/"_s});
    const fs::path folder = fs::canonical(test::nativePath(dir.path()));
    const auto entries = folderTreeEntries(folder);

    std::vector<std::string> wayDown = {"/"};
    for (const auto& part : folder.relative_path())
        wayDown.push_back(part.native());
    QCOMPARE(entries.size(), wayDown.size() + 3);
    for (std::size_t i = 0; i < wayDown.size(); ++i) {
        QCOMPARE(entries[i].name, wayDown[i]);
        QCOMPARE(entries[i].level, static_cast<int>(i));
        const auto kind =
            i + 1 == wayDown.size() ? FolderEntry::Kind::Current : FolderEntry::Kind::Path;
        QVERIFY(entries[i].kind == kind);
    }
    QCOMPARE(entries[wayDown.size() - 1].path, folder.native());
    const std::vector<std::string> subfolders = {"Alpha", "beta", "gamma"};
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        const FolderEntry& entry = entries[wayDown.size() + i];
        QCOMPARE(entry.name, subfolders[i]);
        QCOMPARE(entry.path, (folder / subfolders[i]).native());
        QVERIFY(entry.kind == FolderEntry::Kind::Subfolder);
        QCOMPARE(entry.level, static_cast<int>(wayDown.size()));
    }
}

void TestFolderBrowsing::treeEntriesAtRoot() {
    const auto entries = folderTreeEntries("/");
    QVERIFY(!entries.empty());
    QCOMPARE(entries.front().name, std::string("/"));
    QCOMPARE(entries.front().path, std::string("/"));
    QVERIFY(entries.front().kind == FolderEntry::Kind::Current);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        QCOMPARE(entries[i].path, "/" + entries[i].name);
        QCOMPARE(entries[i].level, 1);
    }
}

void TestFolderBrowsing::enteringSetsCurrentDirectory() {
    test::CurrentDirectoryKeeper keeper;
    QTemporaryDir dir;
    makeFiles(dir.path(), {u"sub/"_s});
    const fs::path base = fs::canonical(test::nativePath(dir.path()));
    QCOMPARE(enterFolder(fs::path(), base), base);
    QCOMPARE(fs::current_path(), base);
    // a relative target resolves against the previous folder
    QCOMPARE(enterFolder(base, "sub/../sub/."), base / "sub");
    QCOMPARE(fs::current_path(), base / "sub");
}

void TestFolderBrowsing::failedEnteringKeepsCurrentDirectory_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("needsPermissions");
    QTest::newRow("missing folder") << "gone" << 2 << false;
    QTest::newRow("a file") << "file.dbf" << 3 << false;
    QTest::newRow("folder without access") << "locked" << 5 << true;
}

void TestFolderBrowsing::failedEnteringKeepsCurrentDirectory() {
    QFETCH(QString, target);
    QFETCH(int, code);
    QFETCH(bool, needsPermissions);
    test::CurrentDirectoryKeeper keeper;
    QTemporaryDir dir;
    makeFiles(dir.path(), {u"file.dbf"_s, u"locked/"_s});
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFileDevice::Permissions());
    const fs::path base = fs::canonical(test::nativePath(dir.path()));
    enterFolder(fs::path(), base);
    test::PermissionsObeyed obeyed;
    if (needsPermissions && !obeyed.active())
        QSKIP("file permissions cannot be made to apply to this process");
    try {
        enterFolder(base, base / target.toStdString());
        QFAIL("entering went through");
    } catch (const EInOutError& e) {
        QCOMPARE(e.errorCode(), code);
    }
    QCOMPARE(fs::current_path(), base);
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestFolderBrowsing::collationOrder_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("pt_BR") << QLocale(QLocale::Portuguese, QLocale::Brazil);
    QTest::newRow("C falls back to the Unicode order") << QLocale::c();
}

void TestFolderBrowsing::collationOrder() {
    QFETCH(QLocale, locale);
    // case and accents weigh only where the letters are alike; alike names go by their bytes
    const std::vector<std::string> expected = {"_x.dbf",
                                               "a.dbf",
                                               "acao.dbf",
                                               "A\xC3\xA7\xC3\xA3o.dbf",
                                               "a\xC3\xA7\xC3\xA3o.dbf",
                                               "Agil.dbf",
                                               "agil.dbf",
                                               "\xC3\xA1gil.dbf",
                                               "Banco.dbf",
                                               "\xC3\x93rg\xC3\xA3o.dbf",
                                               "Zeta.dbf",
                                               "zz.dbf"};
    std::vector<std::string> names(expected.rbegin(), expected.rend());
    std::rotate(names.begin(), names.begin() + 5, names.end());
    NameCollation(locale).sort(names);
    QCOMPARE(names, expected);
    const NameCollation order(locale);
    QVERIFY(order.less("\xC3\xA1gil.dbf", "Banco.dbf"));
    QVERIFY(!order.less("Banco.dbf", "\xC3\xA1gil.dbf"));
    QVERIFY(order.less("Agil.dbf", "agil.dbf"));
}

QTEST_APPLESS_MAIN(TestFolderBrowsing)
#include "tst_folderbrowsing.moc"
