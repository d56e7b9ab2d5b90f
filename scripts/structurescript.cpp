#include "scripts/structurescript.h"

#include <algorithm>

#include "base/ansi.h"
#include "scripts/linesink.h"
#include "scripts/namecell.h"
#include "scripts/ruleplan.h"
#include "source/tablename.h"

namespace vorendal {
namespace {

bool isPrimaryKey(const TIndexDef& index, int /*position*/) {
    // exactly primary and unique: a descending or case-insensitive key does not count
    return index.Options == TIndexOptions{ixPrimary, ixUnique};
}

std::string classicUpperCase(std::string_view name) {
    return ansiUpperCase(name);
}

void keepNames(std::vector<std::string>& /*names*/) {}

// ---- classic profile -----------------------------------------------------------------------

void classicColumnType(std::string& out, const TFieldDef& def) {
    switch (def.DataType) {
    case ftString:
        out += "VARCHAR(";
        out += std::to_string(def.Size);
        out += ") CHARACTER SET ISO8859_1";
        return;
    case ftInteger:
        out += def.Required ? "INTEGER NOT NULL" : "INTEGER";
        return;
    case ftBoolean:
        out += "CHAR(01)";
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

void classicCreateTableLine(std::string& out, std::string_view tableName) {
    out += "CREATE TABLE \"";
    out += tableName;
    out += '"';
}

void classicColumnLine(std::string& out, std::string_view name, std::string_view type, bool last) {
    out += '"';
    appendNameCell(out, name, "\"");
    out += type;
    if (!last)
        out += ',';
}

void classicIndexLine(std::string& out, const ScriptIndex& index) {
    if (index.primary) {
        out += "ALTER TABLE ";
        out += index.tableName;
        out += " ADD PRIMARY KEY (";
        for (const char c : index.upperFields)
            out += c == ';' ? ',' : c;
        out += ");";
        return;
    }
    out += index.upperFields;
    out += " (INDICES SECUNDARIOS)";
}

constexpr std::string_view kNoLines[] = {""};

// The column name of each key field; empty when one is no column.
std::vector<std::string> keyColumns(std::string_view fields,
                                    std::span<const std::string> upperNames,
                                    std::span<const std::string> columns,
                                    std::string (*upperCase)(std::string_view)) {
    std::vector<std::string> found;
    for (const std::string& field : splitFieldNames(fields)) {
        const std::string upper = upperCase(field);
        std::size_t i = 0;
        while (i < upperNames.size() && upperNames[i] != upper)
            ++i;
        if (i == upperNames.size())
            return {};
        found.push_back(columns[i]);
    }
    return found;
}

} // namespace

const StructureScriptProfile& classicStructureProfile() {
    static const StructureScriptProfile profile{std::span(kNoLines).first(0),
                                                tableNameFromPath,
                                                classicUpperCase,
                                                keepNames,
                                                isPrimaryKey,
                                                false,
                                                false,
                                                classicColumnType,
                                                " NOT NULL",
                                                classicCreateTableLine,
                                                "(",
                                                classicColumnLine,
                                                ");",
                                                {},
                                                classicIndexLine};
    return profile;
}

std::vector<std::string> splitFieldNames(std::string_view fields) {
    std::vector<std::string> names;
    if (fields.empty())
        return names;
    for (;;) {
        const std::size_t semicolon = fields.find(';');
        names.emplace_back(fields.substr(0, semicolon));
        if (semicolon == std::string_view::npos)
            return names;
        fields.remove_prefix(semicolon + 1);
    }
}

namespace {

// The first index's key fields upper-cased when it gives the primary key, else "".
std::string primaryKeyFields(TTable& table, const StructureScriptProfile& profile) {
    // Only the first index can give the key; the classic key test is a plain substring search.
    if (table.IndexDefs().Count() > 0 && profile.isPrimary(table.IndexDefs()[0], 0))
        return profile.upperCase(table.IndexDefs()[0].Fields);
    return {};
}

struct ColumnPart {
    std::vector<std::string> upperNames;
    std::vector<std::string> columns;
    std::vector<std::string> lines;
    std::vector<bool> notNull;
};

// The column lines of the open table's field definitions.
ColumnPart columnPart(TTable& table, const StructureScriptProfile& profile,
                      const std::string& keyFields, const RulePlan* rules) {
    const std::vector<std::string> keyNames = splitFieldNames(keyFields);
    const int fieldCount = table.FieldCount();
    ColumnPart part;
    for (int i = 0; i < fieldCount; ++i)
        part.upperNames.push_back(profile.upperCase(table.FieldDefs()[i].Name));
    part.columns = part.upperNames;
    profile.fitColumnNames(part.columns);
    std::string type;
    for (int i = 0; i < fieldCount; ++i) {
        const TFieldDef& def = table.FieldDefs()[i];
        const std::string& name = part.upperNames[static_cast<std::size_t>(i)];
        type.clear();
        profile.columnType(type, def);
        const ColumnRule* rule =
            rules != nullptr && static_cast<std::size_t>(i) < rules->columns.size()
                ? &rules->columns[static_cast<std::size_t>(i)]
                : nullptr;
        if (rule != nullptr)
            type += rule->clause;
        const bool key =
            profile.exactKeyColumns
                ? std::find(keyNames.begin(), keyNames.end(), name) != keyNames.end()
                : !keyFields.empty() && !name.empty() && keyFields.find(name) != std::string::npos;
        const bool required =
            rule != nullptr ? rule->notNull : profile.requiredIsNotNull && def.Required;
        const bool notNull = key || required;
        if (notNull)
            type += profile.keyColumnSuffix;
        part.notNull.push_back(notNull);
        std::string& line = part.lines.emplace_back();
        profile.columnLine(line, part.columns[static_cast<std::size_t>(i)], type,
                           i + 1 == fieldCount);
    }
    return part;
}

// The key statement or note line of each of the table's index definitions.
std::vector<std::string> indexLines(TTable& table, std::string_view path,
                                    std::string_view tableName, const ColumnPart& columns,
                                    const StructureScriptProfile& profile) {
    std::vector<std::string> lines;
    for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef& index = table.IndexDefs()[i];
        const std::string upperFields = profile.upperCase(index.Fields);
        const std::vector<std::string> indexColumns =
            keyColumns(index.Fields, columns.upperNames, columns.columns, profile.upperCase);
        profile.indexLine(lines.emplace_back(),
                          {path, tableName, i, index.Options, profile.isPrimary(index, i),
                           upperFields, indexColumns});
    }
    return lines;
}

} // namespace

StructureLines structureLines(TTable& table, std::string_view path,
                              const StructureScriptProfile& profile, std::string_view tableName,
                              const RulePlan* rules) {
    table.IndexDefs().Update();
    StructureLines lines;
    lines.tableName = tableName.empty() ? profile.tableName(path) : std::string(tableName);
    ColumnPart columns = columnPart(table, profile, primaryKeyFields(table, profile), rules);
    lines.indexLines = indexLines(table, path, lines.tableName, columns, profile);
    lines.columnNames = std::move(columns.columns);
    lines.columnLines = std::move(columns.lines);
    lines.notNull = std::move(columns.notNull);
    return lines;
}

void writeStructureScript(TTable& table, const std::string& path, LineSink& sink,
                          const StructureScriptProfile& profile, const RulePlan* rules) {
    table.setTableName(path);
    const std::string tableName = profile.tableName(path);
    for (const std::string_view header : profile.headerLines)
        sink.appendLine(header);
    if (!profile.noFieldsLine.empty()) {
        table.Open();
        const bool noFields = table.FieldCount() == 0;
        table.Close();
        if (noFields) {
            sink.appendLine(profile.noFieldsLine);
            return;
        }
    }
    std::string line;
    profile.createTableLine(line, tableName);
    sink.appendLine(line);
    sink.appendLine(profile.openLine);

    table.Close();
    table.IndexDefs().Update();
    const std::string keyFields = primaryKeyFields(table, profile);

    table.Open();
    const ColumnPart columns = columnPart(table, profile, keyFields, rules);
    for (const std::string& column : columns.lines)
        sink.appendLine(column);
    sink.appendLine(profile.closeLine);
    sink.appendLine({});

    table.Close();
    table.IndexDefs().Update();
    for (const std::string& index : indexLines(table, path, tableName, columns, profile))
        sink.appendLine(index);
    table.Close();
}

} // namespace vorendal
