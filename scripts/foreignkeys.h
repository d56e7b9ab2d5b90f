#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace vorendal {

class LineSink;
class TTable;

// A table of one run (one script, one load) and its name in the database.
struct RunTable {
    std::string path; // the table file, as given
    std::string name; // UTF-8
};

// A reference or table lookup between tables of a run as a FOREIGN KEY, or why it is none.
struct ForeignKeyPlan {
    std::size_t child = 0; // the table holding the rule, in the run
    // Statements the key needs first (without ";"): a child column of a narrower integer type
    // than its parent's key widened to it, as Firebird takes keys of one type only.
    std::vector<std::string> before;
    std::string sql;        // the ALTER TABLE statement without ";"; empty when not carried
    std::string what;       // the rule, UTF-8: "C.A references A"
    std::string notCarried; // why there is no statement (UTF-8)
};

// The references (Paradox referential integrity) and table lookups of the tables of run, each a
// FOREIGN KEY to its parent's primary key when the parent is a table of the run whose key is
// exactly the fields the rule names (a lookup: the parent's first field alone) and every row of
// the child finds its parent; else a sentence saying why not. Reads the tables with child and
// parent (the table engine settings of the run, UTF-8 delivery) and leaves them closed. A table
// that cannot be read is passed over. Names constraints "<child>_FK<n>".
std::vector<ForeignKeyPlan> planForeignKeys(std::span<const RunTable> run, TTable& child,
                                            TTable& parent);

// Appends the statements and a comment for each key not carried.
void writeForeignKeyScript(std::span<const ForeignKeyPlan> keys, LineSink& sink);

} // namespace vorendal
