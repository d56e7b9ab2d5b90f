// The data export against Debian's pgdbf converter, in alternating pairs, so that a machine whose
// load changes during the run weighs on both sides alike.
//
//   vorendal_bench_export_pairs RECORDS [PAIRS] [-- EXTRA CLI ARGUMENTS]
//
// Writes the dBASE and the Paradox benchmark tables of RECORDS records (not timed), then, for each
// case, runs PAIRS pairs (default 5) of "vorendal-cli ... TABLE" and "pgdbf -s cp1252 TABLE.dbf",
// each writing its standard output to a file, and prints every pair and the medians of the wall
// and CPU ratios. The cases: classic data of the dBASE table, --firebird data of it, classic data
// of the Paradox table, describe of the dBASE table. Extra arguments (such as --threads 1) go to
// every vorendal-cli run. Last, the peak memory of each case with the output to a pipe. With
// VORENDAL_BENCH_TABLES=DIR the tables are kept in DIR (bench.dbf, bench.db) and reused when
// there.
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "tests/fixtures/benchtables.h"

namespace {

using vorendal::bench::Measure;
using vorendal::bench::runMeasured;

struct Case {
    const char* name;
    std::vector<std::string> arguments; // before the table's path
    bool paradox;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<std::string> commandOf(const Case& c, const std::vector<std::string>& extra,
                                   const std::string& table) {
    std::vector<std::string> args{VORENDAL_CLI};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), c.arguments.begin(), c.arguments.end());
    args.push_back(table);
    return args;
}

std::string quoted(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        if (!line.empty())
            line += ' ';
        line += '\'' + a + '\'';
    }
    return line;
}

// Runs each case's pairs; false when a command failed.
bool runPairs(const Case& c, const std::vector<std::string>& extra, const std::string& dbf,
              const std::string& db, int pairs, const std::string& out) {
    const std::vector<std::string> ours = commandOf(c, extra, c.paradox ? db : dbf);
    const std::vector<std::string> theirs{"pgdbf", "-s", "cp1252", dbf};
    std::printf("\n%s: %s\n", c.name, quoted(ours).c_str());
    std::vector<double> wallRatios;
    std::vector<double> cpuRatios;
    double peak = 0;
    for (int i = 0; i < pairs; ++i) {
        const Measure v = runMeasured(ours, out.c_str());
        const Measure p = runMeasured(theirs, out.c_str());
        if (!v.ok || !p.ok) {
            std::fprintf(stderr, "%s failed\n", v.ok ? "pgdbf" : "vorendal-cli");
            return false;
        }
        peak = std::max(peak, v.peakMiB);
        wallRatios.push_back(v.seconds / p.seconds);
        cpuRatios.push_back(v.cpuSeconds / p.cpuSeconds);
        std::printf("  pair %d: vorendal %.3f s (CPU %.3f s), pgdbf %.3f s (CPU %.3f s); "
                    "ratio wall %.2f, CPU %.2f\n",
                    i + 1, v.seconds, v.cpuSeconds, p.seconds, p.cpuSeconds, wallRatios.back(),
                    cpuRatios.back());
        std::fflush(stdout);
    }
    std::printf("  median ratio vorendal / pgdbf: wall %.2f, CPU %.2f; peak memory %.1f MiB\n",
                median(wallRatios), median(cpuRatios), peak);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RECORDS [PAIRS] [-- EXTRA CLI ARGUMENTS]\n", argv[0]);
        return 2;
    }
    const auto records = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    int pairs = 5;
    int next = 2;
    if (next < argc && std::string(argv[next]) != "--")
        pairs = std::max(1, std::atoi(argv[next++]));
    std::vector<std::string> extra;
    if (next < argc && std::string(argv[next]) == "--")
        extra.assign(argv + next + 1, argv + argc);

    const auto dir = std::filesystem::temp_directory_path() /
                     ("vorendal-bench-pairs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const char* keep = std::getenv("VORENDAL_BENCH_TABLES");
    const std::filesystem::path tables = keep != nullptr ? std::filesystem::path(keep) : dir;
    std::filesystem::create_directories(tables);
    const std::string dbf = (tables / "bench.dbf").string();
    const std::string db = (tables / "bench.db").string();
    if (keep == nullptr || !std::filesystem::exists(dbf))
        vorendal::fixtures::writeDbfBenchmarkTable(dbf, records);
    if (keep == nullptr || !std::filesystem::exists(db))
        vorendal::fixtures::writeParadoxBenchmarkTable(db, records);
    const std::string out = (dir / "out.sql").string();

    const Case cases[] = {{"classic data, dBASE", {"data"}, false},
                          {"--firebird data, dBASE", {"--firebird", "data"}, false},
                          {"classic data, Paradox", {"data"}, true},
                          {"describe, dBASE", {"describe"}, false}};
    std::printf("%u records, %d pairs per case; pgdbf -s cp1252 always reads the dBASE table\n",
                records, pairs);
    int status = 0;
    for (const Case& c : cases) {
        if (!runPairs(c, extra, dbf, db, pairs, out)) {
            status = 1;
            break;
        }
    }
    // Output to a pipe: the memory must not grow when the reader of the pipe is slower.
    std::printf("\npeak memory with the output to a pipe:\n");
    for (const Case& c : cases) {
        const std::string line =
            quoted(commandOf(c, extra, c.paradox ? db : dbf)) + " | cat > /dev/null";
        const Measure m = runMeasured({"sh", "-c", line});
        std::printf("  %s: %.3f s, peak memory %.1f MiB\n", c.name, m.seconds, m.peakMiB);
    }
    std::filesystem::remove_all(dir);
    return status;
}
