#include "source/engine/bytesource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::engine {
namespace {

TEST(ByteSource, ReadsOnlyWhatLiesInsideTheFile) {
    MemoryByteSource src(std::make_shared<const std::string>("abcdef"), "mem");
    char buf[8] = {};
    EXPECT_TRUE(src.read(0, buf, 6));
    EXPECT_TRUE(src.read(6, buf, 0));
    EXPECT_FALSE(src.read(4, buf, 3));
    EXPECT_FALSE(src.read(7, buf, 0));
    EXPECT_FALSE(src.read(~0ull, buf, 2)); // no wrap-around
    fixtures::TempDir dir;
    FileByteSource file(dir.write("t.db", "abcdef"));
    EXPECT_EQ(file.size(), 6u);
    EXPECT_TRUE(file.read(2, buf, 4));
    EXPECT_EQ(std::string(buf, 4), "cdef");
    EXPECT_FALSE(file.read(3, buf, 4));
    EXPECT_FALSE(file.read(~0ull - 1, buf, 4));
}

TEST(ByteSource, CompanionsAreFoundWithoutRegardToCase) {
    fixtures::TempDir dir;
    const auto main = dir.write("Cars.DBF", "x");
    dir.write("CARS.dbt", "memo");
    dir.write("cars.Mdx", "index");
    dir.write("other.dbt", "no");
    DiskTableFiles files(main);
    EXPECT_EQ(files.extension(), "DBF");
    ASSERT_NE(files.companion("DBT"), nullptr);
    EXPECT_EQ(files.companion("dbt")->size(), 4u);
    EXPECT_EQ(files.companion("MDX")->size(), 5u);
    EXPECT_EQ(files.companion("FPT"), nullptr);
    EXPECT_EQ(files.companionExtensions(), (std::vector<std::string>{"Mdx", "dbt"}));
}

TEST(ByteSource, ReadOnlyFilesOpen) {
    fixtures::TempDir dir;
    const auto p = dir.write("ro.db", "abc");
    ::chmod(p.c_str(), 0444);
    EXPECT_EQ(FileByteSource(p).size(), 3u);
}

std::string openingError(const std::filesystem::path& p) {
    try {
        FileByteSource src(p);
    } catch (const EDBEngineError& e) {
        return e.message();
    }
    return "(opened)";
}

TEST(ByteSource, MissingFilesFoldersAndLockedFilesGiveEngineErrors) {
    fixtures::TempDir dir;
    const auto missing = dir.path() / "none.db";
    EXPECT_EQ(openingError(missing), "Table file does not exist.\nFile: " + missing.string());
    EXPECT_EQ(openingError(dir.path()),
              "The path does not name a table file.\nFile: " + dir.path().string());

    const auto locked = dir.write("locked.db", "abcdef");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(locked.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ::fcntl(fd, F_SETLK, &lock);
        char c = 'x';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(openingError(locked),
              "The table is locked by another program.\nFile: " + locked.string());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(openingError(locked), "(opened)");
}

// Opening a FIFO waits for a writer: it must be refused before it is opened, as a table and
// as a companion.
TEST(ByteSource, FifosAreRefusedWithoutWaiting) {
    fixtures::TempDir dir;
    for (const char* name : {"fifo.dbf", "fifo.db"}) {
        const auto p = dir.path() / name;
        ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
        EXPECT_EQ(openingError(p), "The path does not name a table file.\nFile: " + p.string());
        try {
            openTableReader(DiskTableFiles(p));
            ADD_FAILURE() << name << " opened";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), errNotTable);
        }
    }
    const auto table = dir.write("t.dbf", "x");
    ASSERT_EQ(::mkfifo((dir.path() / "t.fpt").c_str(), 0600), 0);
    DiskTableFiles files(table);
    EXPECT_EQ(files.companion("fpt"), nullptr);
    EXPECT_TRUE(files.companionExtensions().empty());
}

// The folder is read once per opening: a companion made after the first lookup is not seen by
// that opening, only by the next one.
TEST(ByteSource, TheFolderIsReadOncePerOpening) {
    fixtures::TempDir dir;
    const auto table = dir.write("t.db", "x");
    dir.write("t.X02", "index");
    DiskTableFiles files(table);
    EXPECT_EQ(files.companionExtensions(), std::vector<std::string>{"X02"});
    dir.write("t.MB", "blobs");
    EXPECT_EQ(files.companion("MB"), nullptr);
    EXPECT_EQ(files.companionExtensions(), std::vector<std::string>{"X02"});
    EXPECT_NE(DiskTableFiles(table).companion("mb"), nullptr);
}

} // namespace
} // namespace vorendal::engine
