// The value texts of the data export: formats COUNT values of each kind into one reused line, as
// the export does per record, and prints values per second.
//
//   vorendal_bench_valueformat COUNT
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scripts/valueformat.h"

namespace {

template <typename Append> void run(const char* name, long count, Append append) {
    std::string line;
    std::size_t checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        line.clear();
        append(line, i);
        checksum += line.size();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%-8s %10ld values %8.3f s %12.0f values/s (checksum %zu)\n", name, count,
                took.count(), static_cast<double>(count) / took.count(), checksum);
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    vorendal::RegionalSettings settings;
    settings.decimalSeparator = ",";
    settings.shortDatePattern = "dd/MM/yyyy";
    settings.hourLeadingZero = true;
    settings.twentyFourHour = true;
    run("fixed", count, [&](std::string& out, long i) {
        vorendal::appendFixed2(out, static_cast<double>(i) * 0.731 - 1000.0, ",");
    });
    run("general", count, [&](std::string& out, long i) {
        vorendal::appendGeneral(out, static_cast<double>(i) * 1.37e13, ",");
    });
    run("money", count, [&](std::string& out, long i) {
        vorendal::appendCurrency(out, static_cast<std::int64_t>(i) * 3137, ",");
    });
    run("date", count, [&](std::string& out, long i) {
        vorendal::appendShortDate(out, static_cast<double>(i % 80000), settings);
    });
    run("time", count, [&](std::string& out, long i) {
        vorendal::appendLongTime(out, static_cast<double>(i % 86400) / 86400.0, settings);
    });
}
