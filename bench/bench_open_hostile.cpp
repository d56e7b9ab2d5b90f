// Opening hostile tables through the table component, as the generators do (index definitions,
// then the opening): a Paradox table of thousands of columns of one name, and a Paradox table
// with every possible index companion in a folder of many other files. Prints the time of one
// request and peak memory.
//
//   vorendal_bench_open_hostile COLUMNS OTHER_FILES
//
// The tables and files are written into a temporary folder first (not timed) and removed after.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "source/ttable.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace {

namespace fs = std::filesystem;

// Seconds of one request: index definitions read while closed, then the table opened and closed.
double timeRequest(const fs::path& table) {
    const auto start = std::chrono::steady_clock::now();
    vorendal::TTable t;
    t.setTableName(table.native());
    t.IndexDefs().Update();
    t.Open();
    t.Close();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void touch(const fs::path& p) {
    std::ofstream{p};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s COLUMNS OTHER_FILES\n", argv[0]);
        return 2;
    }
    const int columns = std::atoi(argv[1]);
    const int others = std::atoi(argv[2]);
    vorendal::fixtures::TempDir dir;

    vorendal::fixtures::ParadoxTableBuilder wide(12);
    wide.blockKiB(32);
    for (int i = 0; i < columns; ++i)
        wide.field("A", 'A', 1);
    wide.row({});
    const fs::path wideTable = wide.build().writeTo(dir.path(), "wide");

    vorendal::fixtures::ParadoxTableBuilder narrow(12);
    narrow.field("Id", 'I').row({vorendal::fixtures::px::longInt(1)});
    const fs::path crowded = narrow.build().writeTo(dir.path(), "crowded");
    // every name of a secondary index companion: X00-XFF, XG0-XGZ, XG00-XGZZ
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    int indexFiles = 0;
    for (const char a : std::string(kHex)) {
        for (const char b : std::string(kHex)) {
            touch(dir.path() / (std::string("crowded.X") + a + b));
            ++indexFiles;
        }
    }
    for (const char a : std::string(kAlnum)) {
        touch(dir.path() / (std::string("crowded.XG") + a));
        ++indexFiles;
        for (const char b : std::string(kAlnum)) {
            touch(dir.path() / (std::string("crowded.XG") + a + b));
            ++indexFiles;
        }
    }
    for (int i = 0; i < others; ++i)
        touch(dir.path() / ("other" + std::to_string(i) + ".txt"));

    std::printf("%d columns of one name: %.3f s\n", columns, timeRequest(wideTable));
    std::printf("%d index companions among %d other files: %.3f s\n", indexFiles, others,
                timeRequest(crowded));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
