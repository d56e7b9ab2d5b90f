#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "source/ttable.h"

namespace vorendal {

class LineSink;
struct RulePlan;

// One index as the structure script writes it.
struct ScriptIndex {
    std::string_view path; // of the table file
    std::string_view tableName;
    int position; // 0 for the first index
    TIndexOptions options;
    bool primary; // the profile's isPrimary said so
    // The key fields joined by ";" as the table names them, upper-cased with the profile's
    // upperCase; empty for an expression index.
    std::string_view upperFields;
    // The key fields as the script's column names; empty when a key field is no column.
    std::span<const std::string> columns;
};

// What the structure script writes: the type of each column and the shape of each line. The
// generator takes every text that an output may change from here.
struct StructureScriptProfile {
    // Written before anything else.
    std::span<const std::string_view> headerLines;
    // The table's name in the script, from the path of its file.
    std::string (*tableName)(std::string_view path);
    // A name upper-cased as the script writes it.
    std::string (*upperCase)(std::string_view name);
    // The upper-cased field names made into column names, in place (their length limit).
    void (*fitColumnNames)(std::vector<std::string>& names);
    // Whether the index at position gives the primary key.
    bool (*isPrimary)(const TIndexDef& index, int position);
    // Key columns found by exact name (else by a plain substring search of the key fields).
    bool exactKeyColumns;
    // The key column suffix also marks the required fields.
    bool requiredIsNotNull;
    // The column's SQL type, without the comma that separates it from the next column.
    void (*columnType)(std::string& out, const TFieldDef& def);
    // Added to the type of a column that takes part in the primary key.
    std::string_view keyColumnSuffix;
    void (*createTableLine)(std::string& out, std::string_view tableName);
    std::string_view openLine;
    // name is upper-cased; last: no separating comma follows.
    void (*columnLine)(std::string& out, std::string_view name, std::string_view type, bool last);
    std::string_view closeLine;
    // Written instead of the whole script for a table without fields; empty: the script is
    // written as for any table.
    std::string_view noFieldsLine;
    // The primary key statement or the line of a secondary index.
    void (*indexLine)(std::string& out, const ScriptIndex& index);
};

// The classic output, as the InterBase / Firebird interactive SQL tool takes it.
const StructureScriptProfile& classicStructureProfile();

// Firebird 3 and later, dialect 3, UTF-8 text (the table read with UTF-8 delivery).
const StructureScriptProfile& firebirdStructureProfile();

// Names split at ";".
std::vector<std::string> splitFieldNames(std::string_view fields);

// The structure of an open table as profile writes it: what the database loader creates. Reads
// the table's index definitions when stale. Throws what the table throws.
struct StructureLines {
    std::string tableName;
    std::vector<std::string> columnNames; // the column name of each field definition
    std::vector<std::string> columnLines; // one line per field definition, as in the script
    std::vector<bool> notNull;            // the column is a key column or the field required
    std::vector<std::string> indexLines;  // the key statement or line of each index
};
// tableName: the table's name instead of the one its path gives, when not empty. rules: the
// table's rules that its columns carry (identity, DEFAULT, NOT NULL of required fields), which
// then replace the profile's own NOT NULL of required fields; null for none.
StructureLines structureLines(TTable& table, std::string_view path,
                              const StructureScriptProfile& profile,
                              std::string_view tableName = {}, const RulePlan* rules = nullptr);

// Appends to sink the structure script of the table file at path (1252 text, handed to
// table.setTableName unchanged): the CREATE TABLE statement with one line per field, the primary
// key statement of the first index when it is exactly primary and unique, and one line per index.
// Leaves table closed. Throws what the table throws (EDatabaseError, EDBEngineError) and what
// sink throws (EOutOfResources); the lines appended before stay, and the table stays as the
// failure left it. rules: as for structureLines.
void writeStructureScript(TTable& table, const std::string& path, LineSink& sink,
                          const StructureScriptProfile& profile = classicStructureProfile(),
                          const RulePlan* rules = nullptr);

} // namespace vorendal
