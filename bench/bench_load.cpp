// vorendal-cli load against the script road (vorendal-cli --firebird all, then isql-fb), on a
// generated dBASE table, into the embedded engine and over TCP to a Firebird server.
//
//   vorendal_bench_load RECORDS [SERVER_RECORDS]
//
// Embedded: the script road is "vorendal-cli --firebird all TABLE -o FILE" followed by
// "isql-fb -i FILE DATABASE" into a fresh database; load is "vorendal-cli load --create --into
// DATABASE TABLE". Both are timed whole (wall and CPU of the children), with load's peak memory.
// Server: when /usr/sbin/firebird is installed (firebird3.0-server) and this runs as root, a
// server is started on a free port of 127.0.0.1 with SYSDBA's password from the package, and the
// same two roads run against it on a table of SERVER_RECORDS records (default RECORDS; the script
// road over TCP takes minutes for a million rows). The password reaches the children through
// ISC_USER and ISC_PASSWORD, never their command lines.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/measure.h"
#include "tests/fixtures/benchtables.h"

namespace {

namespace fs = std::filesystem;
using vorendal::bench::Measure;
using vorendal::bench::runMeasured;

// Creates an empty database through isql-fb; database may name a server.
bool createDatabase(const fs::path& folder, const std::string& database) {
    const fs::path script = folder / "create.sql";
    std::ofstream(script) << "SET SQL DIALECT 3;\nCREATE DATABASE '" << database
                          << "' DEFAULT CHARACTER SET UTF8;\n";
    return runMeasured({"isql-fb", "-q", "-i", script.string()}, "/dev/null").ok;
}

struct Roads {
    Measure script; // vorendal-cli --firebird all, then isql-fb
    Measure load;
};

Roads compare(const fs::path& folder, const fs::path& table, const std::string& prefix) {
    Roads roads;
    const std::string script = (folder / "all.sql").string();
    const Measure written =
        runMeasured({VORENDAL_CLI, "--firebird", "all", table.string(), "-o", script});
    const std::string viaScript = prefix + (folder / "script.fdb").string();
    if (written.ok && createDatabase(folder, viaScript)) {
        const Measure run = runMeasured({"isql-fb", "-q", "-i", script, viaScript}, "/dev/null");
        roads.script = run;
        roads.script.seconds += written.seconds;
        roads.script.cpuSeconds += written.cpuSeconds;
    }
    roads.load = runMeasured({VORENDAL_CLI, "load", "--create", "--into",
                              prefix + (folder / "load.fdb").string(), table.string()},
                             "/dev/null");
    return roads;
}

void print(const char* where, std::uint32_t records, const Roads& roads) {
    if (!roads.script.ok || !roads.load.ok) {
        std::printf("%s: a road failed (script %s, load %s)\n", where,
                    roads.script.ok ? "ok" : "failed", roads.load.ok ? "ok" : "failed");
        return;
    }
    std::printf("%s, %u records: script road %.1f s (%.0f rows/s); load %.2f s (%.0f rows/s, "
                "CPU %.2f s, peak memory %.1f MiB); load is %.1f times faster\n",
                where, records, roads.script.seconds, records / roads.script.seconds,
                roads.load.seconds, records / roads.load.seconds, roads.load.cpuSeconds,
                roads.load.peakMiB, roads.script.seconds / roads.load.seconds);
}

int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

// SYSDBA's password as the server package wrote it: ISC_PASSWORD="...".
std::string sysdbaPassword() {
    std::ifstream in("/etc/firebird/3.0/SYSDBA.password");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("ISC_PASSWORD=", 0) != 0)
            continue;
        std::string value = line.substr(13);
        if (value.size() >= 2 && value.front() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RECORDS [SERVER_RECORDS]\n", argv[0]);
        return 2;
    }
    const auto records = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto serverRecords =
        argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : records;
    const fs::path folder =
        fs::temp_directory_path() / ("vorendal-bench-load-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all); // the server process writes its databases here

    const fs::path table = folder / "bench.dbf";
    vorendal::fixtures::writeDbfBenchmarkTable(table, records);
    print("embedded", records, compare(folder / ".", table, ""));

    const std::string password = sysdbaPassword();
    if (!fs::exists("/usr/sbin/firebird") || ::geteuid() != 0 || password.empty()) {
        std::printf("server: not measured (needs firebird3.0-server and root)\n");
    } else {
        const int port = freePort();
        const pid_t server =
            vorendal::bench::spawn({"/usr/sbin/firebird", "-p", std::to_string(port)});
        std::this_thread::sleep_for(std::chrono::seconds(2));
        ::setenv("ISC_USER", "SYSDBA", 1);
        ::setenv("ISC_PASSWORD", password.c_str(), 1);
        const fs::path serverTable = folder / "server.dbf";
        vorendal::fixtures::writeDbfBenchmarkTable(serverTable, serverRecords);
        const fs::path serverFolder = folder / "tcp";
        fs::create_directories(serverFolder);
        fs::permissions(serverFolder, fs::perms::all);
        print("TCP 127.0.0.1", serverRecords,
              compare(serverFolder, serverTable, "127.0.0.1/" + std::to_string(port) + ":"));
        ::kill(server, SIGTERM);
    }
    fs::remove_all(folder);
    return 0;
}
