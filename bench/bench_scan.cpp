// Full scan of a large table through the table component, reading every field's value with the
// getter the data export uses for its type. Prints records per second and peak memory.
//
//   vorendal_bench_scan dbf|paradox|paradox-protected RECORDS [FILE]
//
// Without FILE the table is written first (by the test fixtures' streaming writers) into a
// temporary folder and removed afterwards. The writing is not timed. paradox-protected writes the
// Paradox table twice, clear and password protected, scans them in turn three times each and
// prints the ratio of their best times (what unscrambling the blocks costs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "base/exceptions.h"
#include "source/ttable.h"
#include "tests/fixtures/benchtables.h"

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Reads the current record's fields as the data export does; the sum keeps the work observable.
std::size_t readRecord(vorendal::TTable& table) {
    std::size_t checksum = 0;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const vorendal::TField& f = table.Fields(i);
        switch (table.FieldDefs()[i].DataType) {
        case vorendal::ftString:
        case vorendal::ftMemo:
            checksum += f.AsString().size();
            break;
        case vorendal::ftInteger:
        case vorendal::ftSmallint:
        case vorendal::ftAutoInc:
        case vorendal::ftLargeint:
            checksum += static_cast<std::size_t>(f.AsInteger());
            break;
        case vorendal::ftBoolean:
            checksum += f.AsBoolean() ? 1 : 0;
            break;
        case vorendal::ftCurrency:
            checksum += static_cast<std::size_t>(f.AsCurrency());
            break;
        case vorendal::ftDate:
        case vorendal::ftTime:
        case vorendal::ftDateTime:
            checksum += static_cast<std::size_t>(f.AsDateTime());
            break;
        default:
            checksum += static_cast<std::size_t>(f.AsFloat());
        }
    }
    return checksum;
}

// Scans the table at file once and prints what it took; returns the seconds.
double scan(const std::filesystem::path& file, const std::string& label) {
    vorendal::TTable table;
    table.setTableName(file.string());
    const auto t0 = std::chrono::steady_clock::now();
    table.Open();
    std::size_t checksum = 0;
    std::uint64_t count = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        checksum += readRecord(table);
        ++count;
    }
    table.Close();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s scan: %llu records, %d fields, %.3f s, %.0f records/s, peak memory %.1f MiB "
                "(checksum %zu)\n",
                label.c_str(), static_cast<unsigned long long>(count), table.FieldDefs().Count(), s,
                static_cast<double>(count) / s, static_cast<double>(peakKiB()) / 1024.0, checksum);
    return s;
}

void writeTable(const std::string& format, const std::filesystem::path& file, std::uint32_t records,
                std::uint32_t protectionKey) {
    const auto w0 = std::chrono::steady_clock::now();
    if (format == "dbf")
        vorendal::fixtures::writeDbfBenchmarkTable(file, records);
    else
        vorendal::fixtures::writeParadoxBenchmarkTable(file, records, protectionKey);
    const double ws = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    std::printf("wrote %u records (%.1f MiB) in %.2f s, peak memory so far %.1f MiB\n", records,
                static_cast<double>(std::filesystem::file_size(file)) / 1048576.0, ws,
                static_cast<double>(peakKiB()) / 1024.0);
}

// The same table clear and protected, scanned in turn; the best of three of each.
void compareProtected(const std::filesystem::path& folder, std::uint32_t records) {
    const auto clear = folder / "clear" / "bench.db";
    const auto locked = folder / "protected" / "bench.db";
    std::filesystem::create_directories(clear.parent_path());
    std::filesystem::create_directories(locked.parent_path());
    writeTable("paradox", clear, records, 0);
    writeTable("paradox", locked, records, 0x0A25E09A);
    double bestClear = 1e300;
    double bestProtected = 1e300;
    for (int round = 0; round < 3; ++round) {
        bestClear = std::min(bestClear, scan(clear, "paradox"));
        bestProtected = std::min(bestProtected, scan(locked, "paradox-protected"));
    }
    std::printf("protected / clear (best of 3): %.3f s / %.3f s = %.2f\n", bestProtected, bestClear,
                bestProtected / bestClear);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s dbf|paradox|paradox-protected RECORDS [FILE]\n", argv[0]);
        return 2;
    }
    const std::string format = argv[1];
    const auto records = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::filesystem::path tempDir;
    int status = 0;
    try {
        if (argc > 3) {
            scan(argv[3], format);
        } else {
            tempDir = std::filesystem::temp_directory_path() /
                      ("vorendal-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(tempDir);
            if (format == "paradox-protected") {
                compareProtected(tempDir, records);
            } else {
                const auto file = tempDir / (format == "dbf" ? "bench.dbf" : "bench.db");
                writeTable(format, file, records, 0);
                scan(file, format);
            }
        }
    } catch (const vorendal::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    if (!tempDir.empty())
        std::filesystem::remove_all(tempDir);
    return status;
}
