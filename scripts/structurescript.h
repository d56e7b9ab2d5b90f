#pragma once

#include <string>
#include <string_view>

#include "source/ttable.h"

namespace vorendal {

class LineSink;

// What the structure script writes: the type of each column and the shape of each line. The
// generator takes every text that an output may change from here.
struct StructureScriptProfile {
    // The column's SQL type, without the comma that separates it from the next column.
    void (*columnType)(std::string& out, const TFieldDef& def);
    // Added to the type of a column that takes part in the primary key.
    std::string_view keyColumnSuffix;
    void (*createTableLine)(std::string& out, std::string_view tableName);
    std::string_view openLine;
    // name is upper-cased; last: no separating comma follows.
    void (*columnLine)(std::string& out, std::string_view name, std::string_view type, bool last);
    std::string_view closeLine;
    // fields: the upper-cased key fields, joined by ";".
    void (*primaryKeyLine)(std::string& out, std::string_view tableName, std::string_view fields);
    void (*secondaryIndexLine)(std::string& out, std::string_view fields);
};

// The classic output, as the InterBase / Firebird interactive SQL tool takes it.
const StructureScriptProfile& classicStructureProfile();

// Appends to sink the structure script of the table file at path (1252 text, handed to
// table.setTableName unchanged): the CREATE TABLE statement with one line per field, the primary
// key statement of the first index when it is exactly primary and unique, and one line per index.
// Leaves table closed. Throws what the table throws (EDatabaseError, EDBEngineError) and what
// sink throws (EOutOfResources); the lines appended before stay, and the table stays as the
// failure left it.
void writeStructureScript(TTable& table, const std::string& path, LineSink& sink,
                          const StructureScriptProfile& profile = classicStructureProfile());

} // namespace vorendal
