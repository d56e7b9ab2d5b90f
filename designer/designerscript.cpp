#include "designer/designerscript.h"

#include <span>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "base/textfile.h"
#include "designer/designergrid.h"

namespace vorendal {

// 1252 text: "ã" is 0xE3.
const std::string_view kMissingTableNameMessage = "Voce n\xE3o informou o nome da tabela!...";

namespace {

constexpr int kInvalidFilename = 3;

// One type letter of the grid's TP column and the SQL type it stands for: sqlType alone, or,
// when the type takes the size, sqlType + the size cell + afterSize.
struct TypeLetter {
    char letter;
    std::string_view sqlType;
    bool takesSize;
    std::string_view afterSize;
    std::string_view sizeCell; // what the size cell is set to; empty: left as typed
};

// Everything a database dialect decides about the designer's scripts: the types of the letters
// and the shape of each line. The field lines are built from the quoted name, two spaces, the SQL
// type and the null suffix, whose final comma is dropped when nothing follows in the statement.
struct ScriptProfile {
    std::span<const TypeLetter> types;
    std::string_view quote;
    std::string_view nullable;
    std::string_view notNull;
    std::string_view createHead;
    std::string_view createOpen;
    std::string_view createKeyHead;
    std::string_view keyTail;
    std::string_view createClose;
    std::string_view alterHead;
    std::string_view alterField;
    std::string_view alterKeyHead;
};

// The InterBase/Firebird types the window's scripts use; the letters are tried in this order.
// clang-format off
constexpr TypeLetter kClassicTypes[] = {
    {'D', "DATE",     false, "",                           "0"},
    {'V', "VARCHAR(", true,  ")  CHARACTER SET ISO8859_1", ""},
    {'T', "TIME",     false, "",                           "0"},
    {'B', "BOOLEAN",  false, "",                           "0"},
    {'I', "INTEGER",  false, "",                           "0"},
    {'M', "MEMO",     false, "",                           "1"},
    {'C', "CHAR",     false, "",                           ""},
    {'N', "NUMERIC(", true,  ")",                          ""},
};
// clang-format on

// The window's scripts are read by the interactive SQL tool one statement at a time, so they
// carry no terminator.
constexpr ScriptProfile kClassicProfile = {
    .types = kClassicTypes,
    .quote = "\"",
    .nullable = ",",
    .notNull = " NOT NULL,",
    .createHead = "CREATE TABLE ",
    .createOpen = "(",
    .createKeyHead = "PRIMARY KEY (",
    .keyTail = ")",
    .createClose = ")",
    .alterHead = "ALTER TABLE ",
    .alterField = "ADD ",
    .alterKeyHead = "ADD PRIMARY KEY (",
};

std::string join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

// The SQL type of a type cell (already upper-cased); sets the size cell as the letter fixes it.
// A cell that holds no letter of the table stands for itself, so that a domain name typed there
// reaches the script; an empty one contributes nothing.
std::string sqlTypeOf(const ScriptProfile& profile, DesignerGrid& grid, int row) {
    const std::string& type = grid.cell(DesignerGrid::kTypeColumn, row);
    for (const TypeLetter& entry : profile.types) {
        if (type.size() != 1 || type[0] != entry.letter)
            continue;
        std::string sqlType(entry.sqlType);
        if (entry.takesSize)
            sqlType += join({grid.cell(DesignerGrid::kSizeColumn, row), entry.afterSize});
        if (!entry.sizeCell.empty())
            grid.setCell(DesignerGrid::kSizeColumn, row, entry.sizeCell);
        return sqlType;
    }
    return type;
}

// Normalises the cells of a named row and returns its field line, upper-cased and ending with
// the comma of its suffix. A key field's quoted name goes into keyList, each followed by a comma.
std::string fieldLine(const ScriptProfile& profile, DesignerGrid& grid, int row,
                      std::string& keyList) {
    const std::string name = grid.cell(DesignerGrid::kNameColumn, row);
    const std::string upperName = ansiUpperCase(name);
    grid.setCell(DesignerGrid::kNameColumn, row, upperName);
    grid.setCell(DesignerGrid::kTypeColumn, row,
                 ansiUpperCase(grid.cell(DesignerGrid::kTypeColumn, row)));
    if (grid.cell(DesignerGrid::kSizeColumn, row).empty())
        grid.setCell(DesignerGrid::kSizeColumn, row, "0");
    const std::string& key = grid.cell(DesignerGrid::kKeyColumn, row);
    if (!key.empty() && key != "*")
        grid.setCell(DesignerGrid::kKeyColumn, row, "*");
    if (grid.cell(DesignerGrid::kKeyColumn, row) == "*") {
        keyList += join({profile.quote, upperName, profile.quote, ","});
        grid.setCell(DesignerGrid::kNullColumn, row, "N");
    }
    // only an upper-case "N" refuses nulls: the null cell is never upper-cased
    const bool notNull = grid.cell(DesignerGrid::kNullColumn, row) == "N";
    const std::string sqlType = sqlTypeOf(profile, grid, row);
    return ansiUpperCase(join({profile.quote, name, profile.quote, "  ", sqlType,
                               notNull ? profile.notNull : profile.nullable}));
}

bool nextRowIsNamed(const DesignerGrid& grid, int row) {
    return row < DesignerGrid::kDesignRows && grid.isNamed(row + 1);
}

// Writes the field lines; the comma stays when another line follows inside the statement.
// Returns the key list without its final comma.
std::string writeFieldLines(const ScriptProfile& profile, DesignerScript kind, DesignerGrid& grid,
                            const ScriptLineWriter& writeLine) {
    std::string keyList;
    for (int row = DesignerGrid::kFirstFieldRow;
         row <= DesignerGrid::kDesignRows && grid.isNamed(row); ++row) {
        std::string line = fieldLine(profile, grid, row, keyList);
        // CREATE TABLE closes with its key clause; ALTER TABLE adds the key in a statement of its
        // own
        const bool followed =
            nextRowIsNamed(grid, row) || (kind == DesignerScript::createTable && !keyList.empty());
        if (!followed)
            line.pop_back();
        writeLine(kind == DesignerScript::alterTable ? join({profile.alterField, line}) : line);
    }
    if (!keyList.empty())
        keyList.pop_back();
    return keyList;
}

void writeCreate(const ScriptProfile& profile, DesignerGrid& grid, std::string_view tableName,
                 const ScriptLineWriter& writeLine) {
    writeLine(join({profile.createHead, tableName}));
    writeLine(profile.createOpen);
    const std::string keys = writeFieldLines(profile, DesignerScript::createTable, grid, writeLine);
    if (!keys.empty()) {
        writeLine("");
        writeLine(join({profile.createKeyHead, keys, profile.keyTail}));
    }
    writeLine(profile.createClose);
}

void writeAlter(const ScriptProfile& profile, DesignerGrid& grid, std::string_view tableName,
                const ScriptLineWriter& writeLine) {
    const std::string head = join({profile.alterHead, ansiUpperCase(tableName)});
    writeLine(head);
    const std::string keys = writeFieldLines(profile, DesignerScript::alterTable, grid, writeLine);
    if (!keys.empty()) {
        writeLine("");
        writeLine("");
        writeLine(head);
        writeLine(join({profile.alterKeyHead, keys, profile.keyTail}));
    }
}

} // namespace

void refuseUnsafeTableName(std::string_view tableName) {
    if (tableName == "." || tableName == ".." ||
        tableName.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        throw EInOutError(kInvalidFilename);
}

bool writeDesignerScript(DesignerScript kind, DesignerGrid& grid, std::string_view tableName,
                         const ScriptLineWriter& writeLine) {
    if (tableName.empty())
        return false;
    refuseUnsafeTableName(tableName);
    if (kind == DesignerScript::createTable)
        writeCreate(kClassicProfile, grid, tableName, writeLine);
    else
        writeAlter(kClassicProfile, grid, tableName, writeLine);
    return true;
}

std::filesystem::path designerScriptPath(const std::filesystem::path& folder,
                                         std::string_view tableName) {
    return folder / (ansiToUtf8(tableName) + ".SQL");
}

std::optional<std::filesystem::path> writeDesignerScriptFile(DesignerScript kind,
                                                             DesignerGrid& grid,
                                                             std::string_view tableName,
                                                             const std::filesystem::path& folder) {
    if (tableName.empty())
        return std::nullopt;
    refuseUnsafeTableName(tableName);
    const std::filesystem::path path = designerScriptPath(folder, tableName);
    TextFileWriter file(path);
    writeDesignerScript(kind, grid, tableName,
                        [&file](std::string_view line) { file.writeLine(line); });
    file.close();
    return path;
}

std::string readDesignerScript(const std::filesystem::path& path) {
    TextFileReader file(path);
    std::string text;
    for (bool first = true; !file.atEnd(); first = false) {
        if (!first)
            text += '\n';
        text += file.readLine();
    }
    file.close();
    return text;
}

} // namespace vorendal
