#include "scripts/procedurescript.h"

#include <vector>

#include "base/ansi.h"
#include "scripts/linesink.h"
#include "scripts/namecell.h"
#include "source/tablename.h"

namespace vorendal {
namespace {

// ---- classic profile -----------------------------------------------------------------------

void classicParameterType(std::string& out, const TFieldDef& def) {
    switch (def.DataType) {
    case ftString:
        out += "VARCHAR(";
        out += std::to_string(def.Size);
        out += ") CHARACTER SET ISO8859_1";
        return;
    case ftInteger:
        // the blank stays when the mark is empty: "INTEGER ,"
        out += def.Required ? "INTEGER NOT NULL" : "INTEGER ";
        return;
    case ftBoolean:
        out += "BOOLEAN";
        return;
    case ftFloat:
    case ftCurrency:
        out += "NUMERIC(10,2)";
        return;
    case ftDate:
    case ftDateTime:
    case ftTimeStamp:
        out += "DATE";
        return;
    case ftTime:
        out += "TIME";
        return;
    case ftMemo:
        out += "BLOB";
        return;
    default:
        out += "INTEGER";
        return;
    }
}

constexpr std::string_view kClassicCreateHeader[] = {
    "COMMIT WORK;", "SET AUTODDL OFF;", "SET TERM^;", "", "/* Stored Procedures */", ""};

constexpr std::string_view kClassicStub[] = {
    "AS", " BEGIN",       "     EXIT;",       " END^",
    "",   "SET TERM;^",   "COMMIT WORK;",     "SET AUTODDL ON;",
    "",   "COMMIT WORK;", "SET AUTODDL OFF;", "SET TERM^;"};

constexpr std::string_view kClassicBodyStart[] = {"AS", " BEGIN"};

constexpr std::string_view kClassicClosing[] = {"END^", "SET TERM;^", "COMMIT WORK;",
                                                "SET AUTODDL ON;"};

void classicCreateProcedureLine(std::string& out, std::string_view tableName) {
    out += "CREATE PROCEDURE \"IN_";
    out += tableName;
    out += "\"(";
}

void appendParameterEnd(std::string& out, std::string_view type, bool last) {
    out += type;
    out += last ? ')' : ',';
}

void classicCreateParameterLine(std::string& out, std::string_view name, std::string_view type,
                                bool last) {
    out += "\"c";
    appendNameCell(out, name, "\"");
    appendParameterEnd(out, type, last);
}

void classicAlterProcedureLine(std::string& out, std::string_view tableName) {
    out += "ALTER PROCEDURE IN_";
    out += tableName;
    out += '(';
}

void classicAlterParameterLine(std::string& out, std::string_view name, std::string_view type,
                               bool last) {
    out += 'c';
    appendNameCell(out, name, {});
    appendParameterEnd(out, type, last);
}

void appendJoined(std::string& out, std::span<const std::string> names, std::string_view before) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += ',';
        out += before;
        out += names[i];
    }
}

void classicInsertLine(std::string& out, std::string_view tableName,
                       std::span<const std::string> names) {
    out += "  INSERT INTO ";
    out += tableName;
    out += '(';
    appendJoined(out, names, {});
    out += ')';
}

void classicValuesLine(std::string& out, std::span<const std::string> names) {
    out += "VALUES(";
    appendJoined(out, names, ":c");
    out += ");";
}

void appendLines(LineSink& sink, std::span<const std::string_view> lines) {
    for (const std::string_view line : lines)
        sink.appendLine(line);
}

std::string classicUpperCase(std::string_view name) {
    return ansiUpperCase(name);
}

void keepNames(std::vector<std::string>& /*names*/) {}

} // namespace

const ProcedureScriptProfile& classicProcedureProfile() {
    static const ProcedureScriptProfile profile{tableNameFromPath,
                                                classicUpperCase,
                                                keepNames,
                                                keepNames,
                                                classicParameterType,
                                                kClassicCreateHeader,
                                                classicCreateProcedureLine,
                                                classicCreateParameterLine,
                                                kClassicStub,
                                                classicAlterProcedureLine,
                                                classicAlterParameterLine,
                                                kClassicBodyStart,
                                                classicInsertLine,
                                                classicValuesLine,
                                                kClassicClosing,
                                                {}};
    return profile;
}

void writeProcedureScript(TTable& table, const std::string& path, LineSink& sink,
                          const ProcedureScriptProfile& profile) {
    table.Close();
    table.setTableName(path);
    const std::string tableName = profile.tableName(path);
    table.Open();

    // Field i is described by field definition i, over the fields of the open table.
    const int fieldCount = table.FieldCount();
    std::vector<std::string> names;
    std::vector<std::string> types;
    names.reserve(static_cast<std::size_t>(fieldCount));
    types.reserve(static_cast<std::size_t>(fieldCount));
    for (int i = 0; i < fieldCount; ++i) {
        const TFieldDef& def = table.FieldDefs()[i];
        names.push_back(profile.upperCase(def.Name));
        profile.parameterType(types.emplace_back(), def);
    }
    profile.fitColumnNames(names);
    std::vector<std::string> parameters = names;
    profile.parameterNames(parameters);

    if (names.empty() && !profile.noFieldsLine.empty()) {
        sink.appendLine(profile.noFieldsLine);
        table.Close();
        return;
    }
    appendLines(sink, profile.createHeaderLines);
    std::string line;
    profile.createProcedureLine(line, tableName);
    sink.appendLine(line);
    for (std::size_t i = 0; i < names.size(); ++i) {
        line.clear();
        profile.createParameterLine(line, parameters[i], types[i], i + 1 == names.size());
        sink.appendLine(line);
    }
    appendLines(sink, profile.stubLines);
    line.clear();
    profile.alterProcedureLine(line, tableName);
    sink.appendLine(line);
    for (std::size_t i = 0; i < names.size(); ++i) {
        line.clear();
        profile.alterParameterLine(line, parameters[i], types[i], i + 1 == names.size());
        sink.appendLine(line);
    }
    appendLines(sink, profile.bodyStartLines);
    line.clear();
    profile.insertLine(line, tableName, names);
    sink.appendLine(line);
    line.clear();
    profile.valuesLine(line, parameters);
    sink.appendLine(line);
    appendLines(sink, profile.closingLines);
    table.Close();
}

} // namespace vorendal
