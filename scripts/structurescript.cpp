#include "scripts/structurescript.h"

#include "base/ansi.h"
#include "scripts/linesink.h"
#include "scripts/namecell.h"
#include "source/tablename.h"

namespace vorendal {
namespace {

bool isPrimaryKey(const TIndexDef& index) {
    // exactly primary and unique: a descending or case-insensitive key does not count
    return index.Options == TIndexOptions{ixPrimary, ixUnique};
}

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

void classicPrimaryKeyLine(std::string& out, std::string_view tableName, std::string_view fields) {
    out += "ALTER TABLE ";
    out += tableName;
    out += " ADD PRIMARY KEY (";
    for (const char c : fields)
        out += c == ';' ? ',' : c;
    out += ");";
}

void classicSecondaryIndexLine(std::string& out, std::string_view fields) {
    out += fields;
    out += " (INDICES SECUNDARIOS)";
}

} // namespace

const StructureScriptProfile& classicStructureProfile() {
    static const StructureScriptProfile profile{
        classicColumnType, " NOT NULL", classicCreateTableLine, "(",
        classicColumnLine, ");",        classicPrimaryKeyLine,  classicSecondaryIndexLine};
    return profile;
}

void writeStructureScript(TTable& table, const std::string& path, LineSink& sink,
                          const StructureScriptProfile& profile) {
    table.setTableName(path);
    const std::string tableName = tableNameFromPath(path);
    std::string line;
    profile.createTableLine(line, tableName);
    sink.appendLine(line);
    sink.appendLine(profile.openLine);

    table.Close();
    table.IndexDefs().Update();
    // Only the first index can give the key; the key test below is a plain substring search.
    std::string keyFields;
    if (table.IndexDefs().Count() > 0 && isPrimaryKey(table.IndexDefs()[0]))
        keyFields = ansiUpperCase(table.IndexDefs()[0].Fields);

    table.Open();
    const int fieldCount = table.FieldCount();
    std::string type;
    for (int i = 0; i < fieldCount; ++i) {
        const TFieldDef& def = table.FieldDefs()[i];
        const std::string name = ansiUpperCase(def.Name);
        type.clear();
        profile.columnType(type, def);
        if (!keyFields.empty() && !name.empty() && keyFields.find(name) != std::string::npos)
            type += profile.keyColumnSuffix;
        line.clear();
        profile.columnLine(line, name, type, i + 1 == fieldCount);
        sink.appendLine(line);
    }
    sink.appendLine(profile.closeLine);
    sink.appendLine({});

    table.Close();
    table.IndexDefs().Update();
    for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef& index = table.IndexDefs()[i];
        line.clear();
        if (isPrimaryKey(index))
            profile.primaryKeyLine(line, tableName, ansiUpperCase(index.Fields));
        else
            profile.secondaryIndexLine(line, ansiUpperCase(index.Fields));
        sink.appendLine(line);
    }
    table.Close();
}

} // namespace vorendal
