#include "base/exceptions.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace vorendal {
namespace {

TEST(IoErrors, MessagesFollowTheCodeTable) {
    const std::pair<int, const char*> cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {32, "I/O error 32"},
        {112, "I/O error 112"},
        {21, "I/O error 21"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(ioErrorMessage(code), text);
        EInOutError e(code);
        EXPECT_EQ(e.errorCode(), code);
        EXPECT_EQ(e.message(), text);
    }
}

TEST(IoErrors, PlatformNumbersMapOntoTheOldCodes) {
    const std::pair<int, int> cases[] = {
        {ENOENT, 2}, {ENOTDIR, 3}, {EMFILE, 4}, {ENFILE, 4},   {EACCES, 5},   {EPERM, 5},
        {EROFS, 5},  {EISDIR, 5},  {EBUSY, 32}, {ENOSPC, 112}, {EDQUOT, 112}, {EIO, EIO},
    };
    for (const auto& [err, code] : cases)
        EXPECT_EQ(ioCodeFromErrno(err), code) << "errno " << err;
}

TEST(DisplayText, AppendsAFullStopWhenTheLastCharacterSortsAfterIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"Disk full", "Disk full."},
        {"Done.", "Done."},
        {"", ""},
        {"ok?", "ok?."},
        {"a:", "a:."},
        {"9", "9."},
        {"Wait!", "Wait!"},
        {"(x)", "(x)"},
        {"a,", "a,"},
        {"a-", "a-"},
        {"a ", "a "},
        {"Table1: x\nFile: y", "Table1: x\nFile: y."},
        {"\xE9", "\xE9."},
        {"a/", "a/."},
        {"I/O error 21", "I/O error 21."},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(displayText(in), out) << in;
}

TEST(EngineErrors, MessageIsTextThenEachNewContextLine) {
    EXPECT_EQ(EDBEngineError(0x2712, "Table does not exist.", {"File: /a/b.db"}).message(),
              "Table does not exist.\nFile: /a/b.db");
    EXPECT_EQ(EDBEngineError(1, "X", {"F", "X", "F", "G"}).message(), "X\nF\nG");
    EXPECT_EQ(EDBEngineError(0x2A04, "", {}).message(), "2A04");
    EXPECT_EQ(EDBEngineError(0x000B, "", {""}).message(), "000B");
    EXPECT_EQ(EDBEngineError(7, "", {"File: x"}).message(), "File: x");
}

TEST(EngineErrors, AreDatabaseErrors) {
    try {
        throw EDBEngineError(0x2101, "Damaged.");
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Damaged.");
    }
}

} // namespace
} // namespace vorendal
