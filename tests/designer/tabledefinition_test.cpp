#include "designer/tabledefinition.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "designertest.h"

namespace vorendal {
namespace {

TEST(TableDefinition, SavesFiveLinesPerNamedRowAndAHash) {
    test::TempFolder folder;
    // rows below the first unnamed one are not saved
    saveTableDefinition(test::gridWith("CODIGO|I|0|*|N;NOME|V|60||N;;AFTER"),
                        folder.path / "t.tab");
    EXPECT_EQ(test::readBytes(folder.path / "t.tab"),
              "CODIGO\r\nI\r\n0\r\n*\r\nN\r\nNOME\r\nV\r\n60\r\n\r\nN\r\n#\r\n");
}

// Saved, then read back into a grid holding F1 to F3 and, in row 101, KEPT.
TEST(TableDefinition, RoundTrips) {
    struct Case {
        std::string saved;
        std::string rows1to3; // afterwards
        const char* row100;
    };
    const Case cases[] = {
        {"", test::numberedRows(3), ""},
        {"a|v|||;\xC7ODIGO |x|15,2|k|n", "a|v|||;\xC7ODIGO |x|15,2|k|n;F3|I|0||", ""},
        {"A|I|||;#|V|||;C", "A|I|||;F2|I|0||;F3|I|0||", ""}, // "#" as a name ends the reading
        {test::numberedRows(101), test::numberedRows(3), "F100"},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        saveTableDefinition(test::gridWith(c.saved), folder.path / "r.tab");
        DesignerGrid target = test::gridWith(test::numberedRows(3));
        target.setCell(1, 101, "KEPT");
        readTableDefinition(target, folder.path / "r.tab");
        EXPECT_EQ(test::fieldRows(target, 1, 3), c.rows1to3);
        EXPECT_EQ(target.cell(1, 100), c.row100);
        EXPECT_EQ(target.cell(1, 101), "KEPT");
    }
}

// The file's bytes read into a grid holding R1 to R5, OLD in rows 100 and 101: rows 1 to 3 and
// the names of rows 100 and 101 afterwards.
TEST(TableDefinition, ReadingFollowsTheLineRules) {
    const std::string twoRows = "A\r\nV\r\n60\r\n\r\nN\r\nB\r\ni\r\n\r\nx\r\nS\r\n";
    const std::string kept = "R3||||";
    struct Case {
        std::string bytes;
        std::string rows;
        const char* names; // rows 100 and 101
    } cases[] = {
        {"#\r\n", "R1||||;R2||||;" + kept, "OLDOLD"},
        {twoRows + "#\r\n", "A|V|60||N;B|i||x|S;" + kept, "OLDOLD"},
        {twoRows, "A|V|60||N;B|i||x|S;||||", "OLD"}, // no "#": empty up to row 100
        {"A\r\nV\r\n", "A|V|||;||||;||||", "OLD"},   // ends inside a group
        {" #\r\n\r\n\r\n\r\n\r\n# \r\n\r\n\r\n\r\n\r\n#\r\n", " #||||;# ||||;" + kept, "OLDOLD"},
        {"A\r\n#\r\n#\r\n#\r\n#\r\n#\r\n", "A|#|#|#|#;R2||||;" + kept, "OLDOLD"},
        {"A\rX\nV\n6\r0\n\nN\n#", "AX|V|60||N;R2||||;" + kept, "OLDOLD"}, // LF, lone CR
        {"A\r\nV\r\n\x1A#\r\nB\r\n", "A|V|||;||||;||||", "OLD"},          // control-Z ends
        {std::string(70000, 'x') + "\r\n\r\n\r\n\r\n\r\n#\r\n",
         std::string(70000, 'x') + "||||;R2||||;" + kept, "OLDOLD"},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        std::ofstream(folder.path / "in.tab", std::ios::binary) << c.bytes;
        DesignerGrid grid = test::gridWith("R1;R2;R3;R4;R5");
        grid.setCell(1, 100, "OLD");
        grid.setCell(1, 101, "OLD");
        readTableDefinition(grid, folder.path / "in.tab");
        EXPECT_EQ(test::fieldRows(grid, 1, 3), c.rows) << c.bytes.substr(0, 20);
        EXPECT_EQ(grid.cell(1, 100) + grid.cell(1, 101), c.names) << c.bytes.substr(0, 20);
    }
}

// Reading stops after the 100th row; a file that goes on with another row says so (a closing
// "#", the end of the file and empty lines after the 100th row do not).
TEST(TableDefinition, RowsPastTheHundredthAreLeftOutAndSaid) {
    const auto rows = [](int n) {
        std::string text;
        for (int i = 1; i <= n; ++i)
            text += "F" + std::to_string(i) + "\r\nI\r\n\r\n\r\n\r\n";
        return text;
    };
    struct Case {
        std::string bytes;
        bool leftOut;
    } cases[] = {
        {rows(100) + "#\r\n", false},
        {rows(100), false},
        {rows(100) + "\r\n\r\n#\r\nX\r\n", false},
        {rows(101) + "#\r\n", true},
        {rows(100) + "\r\n\r\nF101\r\n", true},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        std::ofstream(folder.path / "in.tab", std::ios::binary) << c.bytes;
        DesignerGrid grid;
        grid.setCell(1, 101, "OLD");
        EXPECT_EQ(readTableDefinition(grid, folder.path / "in.tab").rowsLeftOut, c.leftOut)
            << c.bytes.size();
        EXPECT_EQ(grid.cell(1, 99), "F99");
        EXPECT_EQ(grid.cell(1, 101), "OLD");
    }
}

TEST(TableDefinition, IoErrorsCarryTheirCodes) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder.path / "folder.tab");
    DesignerGrid grid = test::gridWith("A");
    auto code = [](auto&& operation) {
        try {
            operation();
        } catch (const EInOutError& e) {
            return e.errorCode();
        }
        return 0;
    };
    EXPECT_EQ(code([&] { readTableDefinition(grid, folder.path / "none.tab"); }), 2);
    EXPECT_EQ(code([&] { readTableDefinition(grid, folder.path / "no" / "x.tab"); }), 3);
    EXPECT_EQ(code([&] { saveTableDefinition(grid, folder.path / "no" / "x.tab"); }), 3);
    EXPECT_EQ(code([&] { saveTableDefinition(grid, folder.path / "folder.tab"); }), 5);
    EXPECT_EQ(grid.cell(1, 1), "A");
}

} // namespace
} // namespace vorendal
