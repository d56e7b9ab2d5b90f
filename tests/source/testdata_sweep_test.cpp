// Every real table in the shared test data goes through the table component the way the script
// generators use it: structure, indexes, and every getter on every field of every record. A file
// may be refused with an engine error; anything else (another exception, a crash, a sanitizer
// report) is a fault.
#include <algorithm>
#include <gtest/gtest.h>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "source/ttable.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> tableFiles(const fs::path& root) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = ansiUpperCase(entry.path().extension().string());
        if (entry.is_regular_file() && (ext == ".DB" || ext == ".DBF"))
            found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

void readEverything(TTable& table, const std::string& path) {
    table.Close();
    table.setTableName(path);
    table.IndexDefs().Update();
    table.Open();
    for (table.First(); !table.Eof(); table.Next()) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            const TField& f = table.Fields(i);
            (void)f.IsNull();
            (void)f.AsString();
            switch (f.value().kind) {
            case engine::Value::Kind::Text:
            case engine::Value::Kind::Bytes:
                break; // text need not be a number
            default:
                (void)f.AsInteger();
                (void)f.AsFloat();
                (void)f.AsBoolean();
                (void)f.AsDateTime();
            }
        }
    }
    table.Close();
    table.IndexDefs().Update();
}

TEST(TestdataSweep, EveryRealTableOpensOrGivesAnEngineError) {
    const fs::path root = fixtures::testdataDir(VORENDAL_TESTDATA_DIR);
    if (root.empty())
        GTEST_SKIP() << "shared test data not found at " << VORENDAL_TESTDATA_DIR;
    const auto files = tableFiles(root);
    ASSERT_GT(files.size(), 50u);
    int opened = 0;
    TTable table;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        try {
            readEverything(table, utf8ToAnsi(path.string()));
            ++opened;
        } catch (const EDBEngineError& e) {
            std::printf("refused: %s\n  %s\n", path.string().c_str(), e.what());
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected exception: " << e.what();
        }
    }
    std::printf("%d of %zu tables read whole\n", opened, files.size());
}

} // namespace
} // namespace vorendal
