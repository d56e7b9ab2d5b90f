#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scripts/tableexport.h"
#include "source/damagereport.h"

namespace vorendal::loader {

// What became of one table of a load.
struct TableLoad {
    enum class Outcome : std::uint8_t {
        Loaded,  // every record is a row of the database
        Failed,  // nothing of it stays in the database (error says why)
        Skipped, // nothing to load (a table without fields)
    };

    std::string path;  // the table file, as given
    std::string table; // its name in the database (UTF-8)
    // The name its file gives, when another table of the load took that name first (UTF-8).
    std::string renamedFrom;
    Outcome outcome = Outcome::Failed;
    std::uint64_t recordsRead = 0;
    std::uint64_t rowsLoaded = 0; // counted in the database after the load
    std::uint64_t nullsWritten = 0;
    std::vector<NullWritten> firstNulls;
    DamageReport damage; // values that could not be read (field names in UTF-8)
    std::uint64_t damagedValues = 0;
    double seconds = 0.0;
    bool verified = false;             // every value was read back and found equal
    std::string error;                 // why it failed or was skipped (UTF-8)
    std::vector<std::string> warnings; // what was loaded without something (an index), UTF-8
    std::vector<std::string> notes;    // what was made up on the way (a field's name), UTF-8
    // The table's own rules that the database does not keep, one sentence each with why (a rule
    // its rows break, with how many rows; a rule Firebird has no form for), UTF-8.
    std::vector<std::string> rulesNotCarried;
};

// Every table of a load, in the order they were named.
struct LoadReport {
    std::vector<TableLoad> tables;
    std::vector<std::string> warnings; // about the database as a whole (UTF-8)
    // Rules between the tables (references, lookups) that the database does not keep, with why.
    std::vector<std::string> rulesNotCarried;
};

} // namespace vorendal::loader
