#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>
#include <unistd.h>

#include "base/exceptions.h"
#include "base/textfile.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "cli/damage.h"
#include "cli/scriptcommand.h"
#include "cli/tablefiles.h"

#ifdef VORENDAL_HAVE_LOADER
#include "cli/loadsummary.h"
#include "loader/loadrun.h"
#endif

namespace vorendal::cli {

#ifndef VORENDAL_HAVE_LOADER

int runLoad(const Options& /*options*/, std::FILE* /*out*/) {
    reportError("vorendal-cli was built without Firebird's client library: install firebird-dev "
                "(tools/deps.sh) and build it again");
    return 1;
}

#else

namespace {

// At most this many tables at once by default: more connections only wait for the disk.
constexpr unsigned kMaxDefaultJobs = 4;

unsigned jobsOf(const Options& options) {
    if (!options.jobs) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        return std::min(cores, kMaxDefaultJobs);
    }
    return countFrom1To64(*options.jobs, "-j takes a number of tables");
}

std::string setting(const std::optional<std::string>& option, const char* environment) {
    if (option)
        return *option;
    const char* value = std::getenv(environment);
    return value != nullptr ? value : "";
}

// A plain path is opened by the engine in this process: made absolute, so that it does not
// depend on where the engine looks for relative names.
std::string databaseOf(const std::string& into) {
    if (loader::isServerDatabase(into))
        return into;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(into, ec);
    return ec ? into : absolute.native();
}

// One line on standard error, rewritten in place, with every table being loaded: its rows of its
// record count and its rows per second.
class LoadProgress {
public:
    explicit LoadProgress(const std::vector<std::string>& names) : m_names(names) {}

    void update(std::size_t table, std::uint64_t rows, std::uint64_t records) {
        const auto now = std::chrono::steady_clock::now();
        Active& active = m_active[table];
        if (active.rows == 0)
            active.start = now;
        active.rows = rows;
        active.records = records;
        if (m_shown && now - m_last < std::chrono::milliseconds(200))
            return;
        m_last = now;
        show(now);
    }

    void finish(std::size_t table) {
        m_active.erase(table);
        clear();
    }

    // Clears the line before other text is written.
    void clear() {
        if (!m_shown)
            return;
        std::fputs("\r\033[K", stderr);
        m_shown = false;
    }

private:
    struct Active {
        std::uint64_t rows = 0;
        std::uint64_t records = 0;
        std::chrono::steady_clock::time_point start;
    };

    void show(std::chrono::steady_clock::time_point now) {
        std::string line = "\r\033[K";
        for (const auto& [table, active] : m_active) {
            if (line.size() > 8)
                line += " | ";
            const double seconds = std::chrono::duration<double>(now - active.start).count();
            line += m_names[table] + ": " + std::to_string(active.rows);
            if (active.records > 0)
                line += " of " + std::to_string(active.records);
            line += " rows";
            if (seconds > 0.5)
                line += ", " + std::to_string(static_cast<std::uint64_t>(active.rows / seconds)) +
                        " rows/s";
        }
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        m_shown = true;
    }

    const std::vector<std::string>& m_names;
    std::map<std::size_t, Active> m_active;
    std::chrono::steady_clock::time_point m_last;
    bool m_shown = false;
};

// What a finished table says on standard error; the exit status it calls for.
int reportTable(const loader::TableLoad& load, const Options& options) {
    using Outcome = loader::TableLoad::Outcome;
    int status = 0;
    if (load.outcome == Outcome::Failed) {
        std::fprintf(stderr, "vorendal-cli: %s: %s\n", load.path.c_str(), load.error.c_str());
        status = 1;
    } else if (load.outcome == Outcome::Skipped) {
        std::fprintf(stderr, "vorendal-cli: %s: not loaded: %s\n", load.path.c_str(),
                     load.error.c_str());
    }
    if (!load.renamedFrom.empty())
        std::fprintf(stderr,
                     "vorendal-cli: %s: loaded as %s: another table of this load is %s already\n",
                     load.path.c_str(), load.table.c_str(), load.renamedFrom.c_str());
    for (const std::string& note : load.notes)
        std::fprintf(stderr, "vorendal-cli: warning: %s: %s.\n", load.path.c_str(), note.c_str());
    for (const std::string& warning : load.warnings) {
        std::fprintf(stderr, "vorendal-cli: warning: %s: %s\n", load.path.c_str(), warning.c_str());
        status = 1;
    }
    // every row is in: a rule left out is told, and is no failure
    for (const std::string& rule : load.rulesNotCarried)
        std::fprintf(stderr, "vorendal-cli: warning: %s: not carried: %s\n", load.path.c_str(),
                     rule.c_str());
    reportNullsWritten(load.table, load.firstNulls, load.nullsWritten);
    return std::max(status, reportDamage(load.path, load.damage, true, options));
}

void writeReport(const std::string& path, const std::string& json) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throwIoError(errno, path);
    const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
    if (std::fclose(file) != 0 || !written)
        throwIoError(errno, path);
}

std::atomic<bool> g_interrupted{false};

} // namespace

int runLoad(const Options& options, std::FILE* out) {
    if (!options.into)
        throw UsageError("load needs --into DATABASE");
    if (options.operands.empty())
        throw UsageError("load needs at least one table or folder");
    loader::LoadRequest request;
    request.jobs = jobsOf(options);
    request.codePage = codePageOption(options);
    request.create = options.create;
    request.connection.database = databaseOf(*options.into);
    request.connection.user = setting(options.user, "ISC_USER");
    request.connection.password = setting(options.password, "ISC_PASSWORD");
    request.options.replace = options.replace;
    request.options.verify = options.verify;
    request.options.rowsPerStatement = loader::rowsPerStatementFor(request.connection);
    // Ctrl+C drops the tables being loaded again instead of leaving them half full
    request.interrupted = &g_interrupted;
    loader::interruptInsteadOfShutdown(&g_interrupted);

    int status = 0;
    std::vector<std::string> missing;
    request.tables = tableFilesOf(options.operands, options.recursive, missing);
    for (const std::string& operand : missing) {
        std::fprintf(stderr, "vorendal-cli: %s: no such table or folder\n", operand.c_str());
        status = 1;
    }

    const std::vector<std::string> names = loader::tableNamesOf(request.tables);
    LoadProgress progress(names);
    const bool showProgress = isatty(2) != 0;
    loader::LoadObserver observer;
    if (showProgress)
        observer.progress = [&progress](std::size_t table, std::uint64_t rows,
                                        std::uint64_t records) {
            progress.update(table, rows, records);
        };
    observer.finished = [&](std::size_t table, const loader::TableLoad& load) {
        progress.finish(table);
        status = std::max(status, reportTable(load, options));
    };

    loader::LoadReport report;
    try {
        report = loader::runLoad(request, observer);
    } catch (const loader::LoadError& e) {
        progress.clear();
        std::fprintf(stderr, "vorendal-cli: %s\n", e.message().c_str());
        if (request.connection.user.empty() &&
            loader::isServerDatabase(request.connection.database))
            std::fprintf(stderr, "vorendal-cli: a server asks who connects: give --user and "
                                 "--password, or set ISC_USER and ISC_PASSWORD\n");
        return 1;
    }
    progress.clear();
    for (const std::string& warning : report.warnings) {
        std::fprintf(stderr, "vorendal-cli: warning: %s\n", warning.c_str());
        status = 1;
    }
    for (const std::string& rule : report.rulesNotCarried)
        std::fprintf(stderr, "vorendal-cli: warning: not carried: %s\n", rule.c_str());
    const std::string summary = loadSummaryText(report);
    std::fwrite(summary.data(), 1, summary.size(), out);
    if (options.report)
        writeReport(*options.report, loadReportJson(report, request.connection.database));
    return status;
}

#endif

} // namespace vorendal::cli
