#include "loader/loadrun.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "base/exceptions.h"
#include "firebird/firebirdnames.h"
#include "scripts/foreignkeys.h"
#include "source/ttable.h"

namespace vorendal::loader {
namespace {

// Rows a group carries over a network: enough that the round trips stop mattering.
constexpr unsigned kRowsPerRoundTrip = 64;

bool interrupted(const LoadRequest& request) {
    return request.interrupted != nullptr && request.interrupted->load();
}

void configure(TTable& table, const LoadRequest& request) {
    table.setCodePage(request.codePage);
    table.setTextDelivery(engine::TextDelivery::Utf8);
    table.setNameUnnamedFields(true); // Firebird has no column without a name
}

// The references and lookups between the tables loaded, once all of them hold their rows: a
// foreign key each where the rows keep it, else a sentence in the report.
void carryForeignKeys(const LoadRequest& request, LoadReport& report) {
    std::vector<RunTable> run;
    for (std::size_t i = 0; i < report.tables.size(); ++i)
        if (report.tables[i].outcome == TableLoad::Outcome::Loaded)
            run.push_back({request.tables[i], report.tables[i].table});
    TTable child("Table1");
    TTable parent("Table1");
    configure(child, request);
    configure(parent, request);
    const std::vector<ForeignKeyPlan> keys = planForeignKeys(run, child, parent);
    if (keys.empty())
        return;
    std::unique_ptr<Session> session;
    for (const ForeignKeyPlan& key : keys) {
        if (key.sql.empty()) {
            report.rulesNotCarried.push_back(key.what + ": " + key.notCarried);
            continue;
        }
        try {
            if (!session)
                session = Session::attach(request.connection);
            firebirdCall({}, [&] {
                for (const std::string& statement : key.before)
                    session->execute(statement);
                session->execute(key.sql);
            });
        } catch (const LoadError& e) {
            report.rulesNotCarried.push_back(key.what + ": not created: " + e.message());
        }
    }
}

} // namespace

unsigned rowsPerStatementFor(const ConnectionSettings& connection) {
    return isServerDatabase(connection.database) ? kRowsPerRoundTrip : 1;
}

std::vector<std::string> tableNamesOf(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& path : paths) {
        const std::string name = firebird::tableName(path);
        std::string candidate = name;
        for (int n = 2; !taken.insert(candidate).second; ++n) {
            const std::string tag = "_" + std::to_string(n);
            candidate = firebird::fitName(name + tag, tag);
        }
        names.push_back(candidate);
    }
    return names;
}

LoadReport runLoad(const LoadRequest& request, const LoadObserver& observer) {
    std::unique_ptr<Session> first =
        request.create ? Session::create(request.connection) : Session::attach(request.connection);
    LoadReport report;
    report.tables.resize(request.tables.size());
    const std::vector<std::string> names = tableNamesOf(request.tables);

    std::mutex mutex; // guards the observer's calls and the report
    std::atomic<std::size_t> next{0};
    auto work = [&](std::unique_ptr<Session> session) {
        TTable table("Table1");
        TTable verifyTable("Table1");
        configure(table, request);
        configure(verifyTable, request);
        for (std::size_t i = next++; i < request.tables.size(); i = next++) {
            const ExportProgress progress = [&, i](std::uint64_t rows) {
                if (interrupted(request))
                    throw EAbort();
                if (!observer.progress)
                    return;
                const std::lock_guard lock(mutex);
                observer.progress(i, rows, table.RecordCount());
            };
            TableLoad load;
            if (interrupted(request)) {
                load.path = request.tables[i];
                load.table = names[i];
                load.error = "not loaded: the load was interrupted";
            } else {
                try {
                    load = loadTable(*session, table, verifyTable, request.tables[i], names[i],
                                     request.options, progress);
                } catch (const EAbort&) {
                    load.path = request.tables[i];
                    load.table = names[i];
                    load.error = "interrupted: the table was dropped again";
                }
            }
            if (const std::string own = firebird::tableName(request.tables[i]); own != names[i])
                load.renamedFrom = own;
            const std::lock_guard lock(mutex);
            report.tables[i] = std::move(load);
            if (observer.finished)
                observer.finished(i, report.tables[i]);
        }
    };
    const unsigned jobs = std::max(
        1u, std::min<unsigned>(request.jobs, static_cast<unsigned>(request.tables.size())));
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs; ++j) {
        workers.emplace_back([&] {
            std::unique_ptr<Session> session;
            try {
                session = Session::attach(request.connection);
            } catch (const LoadError&) {
                return; // the first connection takes its tables; it worked, so it goes on
            }
            work(std::move(session));
        });
    }
    work(std::move(first));
    for (std::thread& worker : workers)
        worker.join();
    if (!interrupted(request))
        carryForeignKeys(request, report);
    if (request.create) {
        try {
            Session::makeDurable(request.connection);
        } catch (const LoadError& e) {
            report.warnings.push_back(e.message());
        }
    }
    return report;
}

} // namespace vorendal::loader
