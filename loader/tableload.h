#pragma once

#include <cstdint>
#include <string>

#include "loader/loadreport.h"
#include "scripts/tableexport.h"

namespace vorendal {
class TTable;
}

namespace vorendal::loader {

class Session;

struct TableLoadOptions {
    bool replace = false;          // a table of the same name in the database is dropped first
    bool verify = false;           // every row is read back and compared with the table file
    unsigned rowsPerStatement = 1; // more than 1: rows go in groups, one round trip each
    std::uint64_t rowsPerCommit = 20000;
};

// Loads the table file at path into the database of session: creates the table with the
// firebird script's names and types, inserts every record through prepared statements whose
// parameters carry the values in their native form, counts the rows in the database, reads them
// back when asked, and then creates the primary key and the indexes. table is the component that
// reads the file (its code page and UTF-8 text delivery already set); a second component of the
// same settings reads the file again for the verification. A table that fails is dropped again;
// the outcome says why. progress: rows handed on so far. Throws nothing of its own but
// EAbort from progress.
// tableName: the name in the database (UTF-8); empty: the one the firebird script gives it.
TableLoad loadTable(Session& session, TTable& table, TTable& verifyTable, const std::string& path,
                    const std::string& tableName, const TableLoadOptions& options,
                    const ExportProgress& progress = {});

} // namespace vorendal::loader
