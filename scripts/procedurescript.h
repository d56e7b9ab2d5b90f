#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "source/ttable.h"

namespace vorendal {

class LineSink;

// What the insert-procedure script writes: the type of each parameter and the shape of each
// line. The generator takes every text that an output may change from here.
struct ProcedureScriptProfile {
    // The table's name in the script, from the path of its file.
    std::string (*tableName)(std::string_view path);
    // A field name upper-cased as the script writes it.
    std::string (*upperCase)(std::string_view name);
    // The upper-cased field names made into column names, in place.
    void (*fitColumnNames)(std::vector<std::string>& names);
    // The column names made into the names the parameter lines and the values line take.
    void (*parameterNames)(std::vector<std::string>& names);
    // The parameter's SQL type, without the comma or the closing parenthesis that follows it.
    void (*parameterType)(std::string& out, const TFieldDef& def);
    std::span<const std::string_view> createHeaderLines;
    void (*createProcedureLine)(std::string& out, std::string_view tableName);
    // name is upper-cased; last: the parameter list closes after it.
    void (*createParameterLine)(std::string& out, std::string_view name, std::string_view type,
                                bool last);
    // The empty body of the first round, and what frames the second.
    std::span<const std::string_view> stubLines;
    void (*alterProcedureLine)(std::string& out, std::string_view tableName);
    void (*alterParameterLine)(std::string& out, std::string_view name, std::string_view type,
                               bool last);
    std::span<const std::string_view> bodyStartLines;
    // names: the column names in field order.
    void (*insertLine)(std::string& out, std::string_view tableName,
                       std::span<const std::string> names);
    // parameters: the parameter names in field order.
    void (*valuesLine)(std::string& out, std::span<const std::string> parameters);
    std::span<const std::string_view> closingLines;
    // Written instead of the whole script for a table without fields; empty: the script is
    // written as for any table.
    std::string_view noFieldsLine;
};

// The classic output, as the InterBase / Firebird interactive SQL tool takes it.
const ProcedureScriptProfile& classicProcedureProfile();

// Firebird 3 and later, dialect 3, UTF-8 text (the table read with UTF-8 delivery).
const ProcedureScriptProfile& firebirdProcedureProfile();

// Appends to sink the script of the insert procedure IN_<table name> of the table file at path
// (1252 text, handed to table.setTableName unchanged): one parameter per field, created with an
// empty body, then altered to insert one row. Closes table first and leaves it closed. Throws what
// the table throws (EDatabaseError, EDBEngineError) and what sink throws (EOutOfResources); the
// lines appended before stay, and the table stays as the failure left it.
void writeProcedureScript(TTable& table, const std::string& path, LineSink& sink,
                          const ProcedureScriptProfile& profile = classicProcedureProfile());

} // namespace vorendal
