#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "loader/loadreport.h"
#include "loader/session.h"
#include "loader/tableload.h"

namespace vorendal::loader {

// A load of table files into one database.
struct LoadRequest {
    ConnectionSettings connection;
    bool create = false;             // make a new database (dialect 3, UTF8) first
    std::vector<std::string> tables; // paths of the table files, in the order to report them
    TableLoadOptions options;
    unsigned jobs = 1;           // tables loaded at once, each over its own connection
    std::optional<int> codePage; // read every table's text under this page
    // Set (from a signal handler, say) to stop: the tables being loaded are dropped again and
    // the rest are not started.
    const std::atomic<bool>* interrupted = nullptr;
};

// Told how the load goes; the calls come from the loading threads, one at a time.
struct LoadObserver {
    // Rows of table number table handed on so far, of the count its header gives (0: unknown).
    std::function<void(std::size_t table, std::uint64_t rows, std::uint64_t records)> progress;
    // The table is done, whatever became of it.
    std::function<void(std::size_t table, const TableLoad& load)> finished;
};

// The name of each table in the database: the one its file gives, or, where an earlier table
// of the load has that name already, the name with "_2", "_3"... so that no table of a folder is
// left out (files of one name in several folders, A.DB beside A.DBF).
std::vector<std::string> tableNamesOf(const std::vector<std::string>& paths);

// The connection settings of a request, with rowsPerStatement set for where the database is:
// rows in groups over a network (one round trip a group), one at a time in this process.
unsigned rowsPerStatementFor(const ConnectionSettings& connection);

// Loads every table of the request, jobs at a time; a table that fails leaves nothing behind
// and the others go on. Two files that would make tables of one name: the later one's name gets
// "_2" (and so on) and the report says so.
// Throws LoadError when the database cannot be created or opened (nothing is loaded then).
LoadReport runLoad(const LoadRequest& request, const LoadObserver& observer = {});

} // namespace vorendal::loader
