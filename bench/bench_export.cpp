// The data export of vorendal-cli on a large table, compared with Debian's pgdbf converter.
//
//   vorendal_bench_export dbf|paradox RECORDS [FILE]
//
// The table is written first by the test fixtures' streaming writers, to FILE when it does not
// exist yet (and kept), else into a temporary folder (and removed); the writing is not timed. Then
// it runs "vorendal-cli data TABLE -o OUT" and reports records/s, MB/s of output and the command's
// peak memory. For a dBASE table it also runs "pgdbf -s cp1252 TABLE > /dev/null" (when pgdbf is
// installed: tools/deps.sh bench) and reports the ratio of the two times.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures/benchtables.h"

extern char** environ;

namespace {

struct Measure {
    bool ok = false;
    double seconds = 0;    // wall clock
    double cpuSeconds = 0; // user and system: what a machine shared with other work still shows
    double peakMiB = 0;
};

// Runs argv (stdout to outPath when given) and measures its wall time and peak memory.
Measure runMeasured(const std::vector<std::string>& args, const char* stdoutPath = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutPath != nullptr)
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath, O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    Measure m;
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return m;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    m.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s dbf|paradox RECORDS [FILE]\n", argv[0]);
        return 2;
    }
    const std::string format = argv[1];
    const auto records = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const auto tempDir = std::filesystem::temp_directory_path() /
                         ("vorendal-bench-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(tempDir);
    const std::filesystem::path file = argc > 3
                                           ? std::filesystem::path(argv[3])
                                           : tempDir / (format == "dbf" ? "bench.dbf" : "bench.db");
    if (!std::filesystem::exists(file)) {
        if (format == "dbf")
            vorendal::fixtures::writeDbfBenchmarkTable(file, records);
        else
            vorendal::fixtures::writeParadoxBenchmarkTable(file, records);
    }
    const std::string out = (tempDir / "out.sql").string();

    const Measure ours = runMeasured({VORENDAL_CLI, "data", file.string(), "-o", out});
    if (!ours.ok) {
        std::fprintf(stderr, "vorendal-cli data failed\n");
        std::filesystem::remove_all(tempDir);
        return 1;
    }
    const double outMB = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
    std::printf("%s: vorendal-cli data, %u records, %.3f s (CPU %.3f s), %.0f records/s "
                "(by CPU %.0f), %.1f MB out, %.1f MB/s, peak memory %.1f MiB\n",
                format.c_str(), records, ours.seconds, ours.cpuSeconds, records / ours.seconds,
                records / ours.cpuSeconds, outMB, outMB / ours.seconds, ours.peakMiB);
    if (format == "dbf") {
        const Measure pg = runMeasured({"pgdbf", "-s", "cp1252", file.string()}, "/dev/null");
        if (pg.ok)
            std::printf("dbf: pgdbf -s cp1252, %.3f s (CPU %.3f s), peak memory %.1f MiB; ratio "
                        "vorendal-cli / pgdbf: time %.2f, CPU %.2f\n",
                        pg.seconds, pg.cpuSeconds, pg.peakMiB, ours.seconds / pg.seconds,
                        ours.cpuSeconds / pg.cpuSeconds);
        else
            std::printf("dbf: pgdbf not run (tools/deps.sh bench installs it)\n");
    }
    // The three scripts, classic and for Firebird: what the firebird profile costs.
    const std::string allOut = (tempDir / "all.sql").string();
    const Measure classic = runMeasured({VORENDAL_CLI, "all", file.string(), "-o", allOut});
    const Measure firebird =
        runMeasured({VORENDAL_CLI, "--firebird", "all", file.string(), "-o", allOut});
    if (classic.ok && firebird.ok)
        std::printf("%s: vorendal-cli all %.3f s (CPU %.3f s); --firebird all %.3f s (CPU %.3f "
                    "s), %.1f MB out; firebird / classic: time %.2f, CPU %.2f\n",
                    format.c_str(), classic.seconds, classic.cpuSeconds, firebird.seconds,
                    firebird.cpuSeconds,
                    static_cast<double>(std::filesystem::file_size(allOut)) / 1e6,
                    firebird.seconds / classic.seconds, firebird.cpuSeconds / classic.cpuSeconds);
    // For the record: how long Firebird takes to load that script (embedded, a fresh database).
    if (firebird.ok && std::getenv("VORENDAL_BENCH_FIREBIRD_LOAD") != nullptr) {
        const std::string database = (tempDir / "bench.fdb").string();
        const std::string create = (tempDir / "create.sql").string();
        if (std::FILE* f = std::fopen(create.c_str(), "w")) {
            std::fprintf(f,
                         "SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n",
                         database.c_str());
            std::fclose(f);
        }
        const Measure made = runMeasured({"isql-fb", "-q", "-i", create}, "/dev/null");
        const Measure load =
            runMeasured({"isql-fb", "-q", "-m", "-i", allOut, database}, "/dev/null");
        if (made.ok && load.ok)
            std::printf("%s: isql-fb loads it in %.1f s (%.0f records/s)\n", format.c_str(),
                        load.seconds, records / load.seconds);
        else
            std::printf("%s: isql-fb failed or is not installed\n", format.c_str());
    }
    std::filesystem::remove_all(tempDir);
    return 0;
}
