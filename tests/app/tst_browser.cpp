// The file browser of the main window on temporary folders: the chain drive selector -> tree ->
// file list, masks, the full path, the current directory and folders that cannot be entered.

#include <filesystem>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/directorylistbox.h"
#include "app/drivecombobox.h"
#include "app/filelistbox.h"
#include "app/tform1.h"
#include "fakeprompts.h"
#include "testsupport.h"

using namespace vorendal;
using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

class TestBrowser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startListsDbfWithNothingSelected();
    void selectedFileGivesFullPath();
    void clickBelowTheFilesLeavesNoneLookingChosen();
    void maskButtonsReadAgain();
    void treeShowsWayDownAndSubfolders();
    void openingFolderMovesCurrentDirectory();
    void enterOpensTheCurrentEntry();
    void folderThatCannotBeEnteredKeepsPrevious_data();
    void folderThatCannotBeEnteredKeepsPrevious();
    void vanishedFolderKeepsListOnMaskClick();
    void driveSelectorFollowsAndReturns();
    void startsAboveWorkingFolderThatCannotBeShown_data();
    void startsAboveWorkingFolderThatCannotBeShown();

private:
    QStringList fileNames() const;
    QString native(const QString& name = {}) const;
    void openTreeEntry(const QString& name);
    int treeRow(const QString& name) const;

    std::unique_ptr<test::CurrentDirectoryKeeper> m_keeper;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base; // canonical path of the temporary folder
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<TForm1> m_form;
};

void TestBrowser::init() {
    m_keeper = std::make_unique<test::CurrentDirectoryKeeper>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_base = QDir(m_dir->path()).canonicalPath();
    for (const QString& name : {u"a.dbf"_s, u"B.DBF"_s, u"c.db"_s, u".hidden.dbf"_s})
        test::writeFile(m_base + u'/' + name, "x");
    for (const QString& name : {u"zeta"_s, u"Alpha"_s, u".git"_s, u"folder.dbf"_s})
        QDir(m_base).mkdir(name);
    test::writeFile(m_base + u"/Alpha/inner.dbf"_s, "x");
    fs::current_path(test::nativePath(m_base));
    m_prompts = std::make_unique<FakePrompts>();
    m_form = std::make_unique<TForm1>(*m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestBrowser::cleanup() {
    m_form.reset();
    m_prompts.reset();
    m_keeper.reset(); // back to the folder before, so the temporary one can go
    m_dir.reset();
}

QStringList TestBrowser::fileNames() const {
    QStringList names;
    for (int i = 0; i < m_form->FileListBox1->count(); ++i)
        names.append(m_form->FileListBox1->item(i)->text());
    return names;
}

QString TestBrowser::native(const QString& name) const {
    return name.isEmpty() ? m_base : m_base + u'/' + name;
}

int TestBrowser::treeRow(const QString& name) const {
    const auto found = m_form->DirectoryListBox1->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? -1 : m_form->DirectoryListBox1->row(found.constLast());
}

void TestBrowser::openTreeEntry(const QString& name) {
    DirectoryListBox* tree = m_form->DirectoryListBox1;
    QListWidgetItem* entry = tree->item(treeRow(name));
    QVERIFY2(entry != nullptr, qPrintable(name));
    tree->scrollToItem(entry);
    const QPoint spot = tree->visualItemRect(entry).center();
    // a double-click as the mouse gives it: a click, then the second press
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, spot);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, spot);
}

void TestBrowser::startListsDbfWithNothingSelected() {
    QCOMPARE(fileNames(), (QStringList{u"a.dbf"_s, u"B.DBF"_s}));
    // the list takes the focus at start, and still no entry is current (drawn as if chosen)
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), m_form->FileListBox1);
    QVERIFY(!m_form->FileListBox1->currentIndex().isValid());
    QCOMPARE(m_form->FileListBox1->FileName(), std::string());
    QCOMPARE(QString::fromStdString(m_form->FileListBox1->directory()), m_base);
    QCOMPARE(QString::fromStdString(fs::current_path().native()), m_base);
    QVERIFY(m_prompts->errors.isEmpty());
}

void TestBrowser::selectedFileGivesFullPath() {
    m_form->FileListBox1->item(1)->setSelected(true);
    QCOMPARE(QString::fromStdString(m_form->FileListBox1->FileName()), native(u"B.DBF"_s));
    // no file access: the path stays when the file goes
    QFile::remove(native(u"B.DBF"_s));
    QCOMPARE(QString::fromStdString(m_form->FileListBox1->FileName()), native(u"B.DBF"_s));

    // the path is the file system's own bytes, whatever the name holds: letters 1252 lacks,
    // bytes that are not UTF-8
    test::writeFile(native(u"Ação € Ж.dbf"_s), "x");
    const QByteArray notUtf8 = QFile::encodeName(m_base) + "/t\xE3o.dbf";
    std::ofstream(notUtf8.toStdString()) << "x";
    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
    m_form->FileListBox1->findItems(u"Ação € Ж.dbf"_s, Qt::MatchExactly)
        .constFirst()
        ->setSelected(true);
    QCOMPARE(QByteArray::fromStdString(m_form->FileListBox1->FileName()),
             QFile::encodeName(m_base) + "/A\xC3\xA7\xC3\xA3o \xE2\x82\xAC \xD0\x96.dbf");
    const auto shown = m_form->FileListBox1->findItems(u"\uFFFD"_s, Qt::MatchContains);
    QCOMPARE(shown.size(), 1);
    shown.constFirst()->setSelected(true);
    QCOMPARE(QByteArray::fromStdString(m_form->FileListBox1->FileName()), notUtf8);
}

void TestBrowser::clickBelowTheFilesLeavesNoneLookingChosen() {
    FileListBox* list = m_form->FileListBox1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(QString::fromStdString(list->FileName()), native(u"B.DBF"_s));
    QCOMPARE(list->currentRow(), 1);
    // below the last file: the selection goes, and so does the focus frame
    const QPoint below = list->visualItemRect(list->item(1)).bottomLeft() + QPoint(5, 20);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(list->FileName(), std::string());
    QVERIFY(!list->currentIndex().isValid());
}

void TestBrowser::maskButtonsReadAgain() {
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton);
    QCOMPARE(fileNames(), QStringList{u"c.db"_s});
    QCOMPARE(m_form->FileListBox1->mask(), std::string("*.db"));

    m_form->FileListBox1->item(0)->setSelected(true);
    test::writeFile(native(u"d.DB"_s), "x");
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton); // the same mask reads again
    QCOMPARE(fileNames(), (QStringList{u"c.db"_s, u"d.DB"_s}));
    QVERIFY(m_form->FileListBox1->selectedItems().isEmpty());
    QCOMPARE(m_form->FileListBox1->FileName(), std::string());

    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
    QCOMPARE(fileNames(), (QStringList{u"a.dbf"_s, u"B.DBF"_s}));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), m_base);
    QCOMPARE(m_form->SpeedButton1->focusPolicy(), Qt::NoFocus);
    QVERIFY(m_prompts->errors.isEmpty());
}

void TestBrowser::treeShowsWayDownAndSubfolders() {
    DirectoryListBox* tree = m_form->DirectoryListBox1;
    QCOMPARE(tree->item(0)->text(), u"/"_s);
    const QString current = QDir(m_base).dirName();
    QCOMPARE(tree->currentItem()->text(), current);
    QVERIFY(tree->currentItem()->isSelected());
    QStringList after;
    for (int i = tree->currentRow() + 1; i < tree->count(); ++i)
        after.append(tree->item(i)->text());
    QCOMPARE(after, (QStringList{u"Alpha"_s, u"folder.dbf"_s, u"zeta"_s}));
    QCOMPARE(tree->count(), tree->currentRow() + 4);
}

void TestBrowser::openingFolderMovesCurrentDirectory() {
    openTreeEntry(u"Alpha"_s);
    QVERIFY(m_prompts->errors.isEmpty());
    QCOMPARE(QString::fromStdString(m_form->DirectoryListBox1->directory()), native(u"Alpha"_s));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), native(u"Alpha"_s));
    QCOMPARE(fileNames(), QStringList{u"inner.dbf"_s});
    QCOMPARE(m_form->DirectoryListBox1->currentItem()->text(), u"Alpha"_s);
    QCOMPARE(m_form->FileListBox1->FileName(), std::string());

    openTreeEntry(QDir(m_base).dirName()); // up again, by the way-down entry
    QCOMPARE(QString::fromStdString(fs::current_path().native()), m_base);
    QCOMPARE(fileNames(), (QStringList{u"a.dbf"_s, u"B.DBF"_s}));
}

void TestBrowser::enterOpensTheCurrentEntry() {
    DirectoryListBox* tree = m_form->DirectoryListBox1;
    tree->setCurrentRow(treeRow(u"zeta"_s));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(QString::fromStdString(tree->directory()), native(u"zeta"_s));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), native(u"zeta"_s));
    QVERIFY(fileNames().isEmpty());
}

void TestBrowser::folderThatCannotBeEnteredKeepsPrevious_data() {
    QTest::addColumn<bool>("locked"); // else removed after it was listed
    QTest::addColumn<QString>("shown");
    QTest::newRow("folder removed meanwhile") << false << u"File not found."_s;
    QTest::newRow("folder without access") << true << u"File access denied."_s;
}

void TestBrowser::folderThatCannotBeEnteredKeepsPrevious() {
    QFETCH(bool, locked);
    QFETCH(QString, shown);
    const QString target = native(u"zeta"_s);
    if (locked)
        QFile::setPermissions(target, QFileDevice::Permissions());
    else
        QDir(target).removeRecursively();
    test::PermissionsObeyed obeyed;
    if (locked && !obeyed.active())
        QSKIP("file permissions cannot be made to apply to this process");
    const int entries = m_form->DirectoryListBox1->count();

    openTreeEntry(u"zeta"_s);
    QCOMPARE(m_prompts->errors, QStringList{shown});
    QCOMPARE(QString::fromStdString(m_form->DirectoryListBox1->directory()), m_base);
    // the tree reads its folder again: a removed folder goes, and the highlight is back on the
    // folder shown
    QCOMPARE(m_form->DirectoryListBox1->count(), locked ? entries : entries - 1);
    QCOMPARE(treeRow(u"zeta"_s) >= 0, locked);
    QCOMPARE(m_form->DirectoryListBox1->currentItem()->text(), QDir(m_base).dirName());
    QCOMPARE(QString::fromStdString(m_form->FileListBox1->directory()), m_base);
    QCOMPARE(fileNames(), (QStringList{u"a.dbf"_s, u"B.DBF"_s}));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), m_base);
    if (locked)
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
}

void TestBrowser::vanishedFolderKeepsListOnMaskClick() {
    openTreeEntry(u"Alpha"_s);
    QDir(native(u"Alpha"_s)).removeRecursively();
    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
    QCOMPARE(m_prompts->errors, QStringList{u"File not found."_s});
    QCOMPARE(fileNames(), QStringList{u"inner.dbf"_s});
}

void TestBrowser::driveSelectorFollowsAndReturns() {
    DriveComboBox* drives = m_form->DriveComboBox1;
    QVERIFY(drives->count() >= 1);
    const QString home = drives->drive();
    QVERIFY2(m_base.startsWith(home), qPrintable(home));

    // two volumes of our own, mounted (as far as the selector knows) inside the temporary folder
    drives->addItem(u"zeta"_s, native(u"zeta"_s));
    drives->addItem(u"gone"_s, native(u"gone"_s));
    openTreeEntry(u"Alpha"_s);

    auto choose = [&](const QString& root) {
        const int index = drives->findData(root);
        drives->setCurrentIndex(index);
        Q_EMIT drives->activated(index);
    };
    choose(native(u"zeta"_s));
    QVERIFY(m_prompts->errors.isEmpty());
    QCOMPARE(QString::fromStdString(m_form->DirectoryListBox1->directory()), native(u"zeta"_s));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), native(u"zeta"_s));
    QCOMPARE(drives->drive(), native(u"zeta"_s));

    choose(home); // back to the folder last shown on the first volume
    QCOMPARE(QString::fromStdString(m_form->DirectoryListBox1->directory()), native(u"Alpha"_s));
    QCOMPARE(drives->drive(), home);

    choose(native(u"gone"_s)); // a volume that cannot be entered
    QCOMPARE(m_prompts->errors, QStringList{u"File not found."_s});
    QCOMPARE(drives->drive(), home);
    QCOMPARE(QString::fromStdString(m_form->DirectoryListBox1->directory()), native(u"Alpha"_s));
    QCOMPARE(QString::fromStdString(fs::current_path().native()), native(u"Alpha"_s));
}

void TestBrowser::startsAboveWorkingFolderThatCannotBeShown_data() {
    QTest::addColumn<bool>("locked"); // else removed while it is the working folder
    QTest::addColumn<QString>("shown");
    QTest::newRow("working folder removed") << false << u"File not found."_s;
    QTest::newRow("working folder not readable") << true << u"File access denied."_s;
}

void TestBrowser::startsAboveWorkingFolderThatCannotBeShown() {
    QFETCH(bool, locked);
    QFETCH(QString, shown);
    const QString start = native(u"start"_s);
    QVERIFY(QDir(m_base).mkdir(u"start"_s));
    fs::current_path(test::nativePath(start));
    if (locked)
        QFile::setPermissions(start, QFileDevice::ExeOwner); // it can be entered, not listed
    else
        QVERIFY(QDir(start).removeRecursively());
    const auto unlock = qScopeGuard([&] {
        if (locked)
            QFile::setPermissions(start, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
    });
    test::PermissionsObeyed obeyed;
    if (locked && !obeyed.active())
        QSKIP("file permissions cannot be made to apply to this process");

    // the error is shown, and the browser is at the nearest folder above that it can show
    FakePrompts prompts;
    TForm1 form(prompts);
    QCOMPARE(prompts.errors, QStringList{shown});
    const QString above = locked ? m_base : u"/"_s;
    QCOMPARE(QString::fromStdString(form.DirectoryListBox1->directory()), above);
    QCOMPARE(QString::fromStdString(form.FileListBox1->directory()), above);
    QCOMPARE(QString::fromStdString(fs::current_path().native()), above);
    QVERIFY(form.DriveComboBox1->count() >= 1);
    QVERIFY(above.startsWith(form.DriveComboBox1->drive()));
}

VORENDAL_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
