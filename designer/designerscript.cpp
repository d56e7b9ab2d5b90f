#include "designer/designerscript.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "base/textfile.h"
#include "designer/designergrid.h"
#include "designer/firebirdrowcheck.h"
#include "firebird/firebirdnames.h"
#include "firebird/firebirdtypes.h"

namespace vorendal {

// 1252 text: "ã" is 0xE3.
const std::string_view kMissingTableNameMessage = "Voce n\xE3o informou o nome da tabela!...";

namespace {

constexpr int kInvalidFilename = 3;

// How a type letter uses the size cell in its SQL type.
enum class SizeUse {
    none,     // the type alone
    verbatim, // sqlType + the size cell as typed + afterSize
    positive, // likewise when the cell is a whole number above 0, otherwise with "1"
};

// One type letter of the grid's TP column and the SQL type it stands for.
struct TypeLetter {
    char letter;
    std::string_view sqlType;
    SizeUse size;
    std::string_view afterSize;
    std::string_view sizeCell; // what the size cell is set to; empty: left as typed
};

} // namespace

// Everything a database dialect decides about the designer's scripts: the types of the letters
// and the shape of each line. The field lines are built from the quoted name, two spaces, the SQL
// type and the null suffix, whose final comma is dropped when nothing follows in the statement.
// The grid is normalised the same way whatever the profile.
struct DesignerScriptProfile {
    std::span<const TypeLetter> types;
    std::string_view quote;
    bool doubleInnerQuotes; // a quote inside a name is written twice, as SQL delimits it
    // The table name delimited like the field names, upper-cased in every statement: a delimited
    // name keeps its case, so CREATE and ALTER must agree on one.
    bool quoteTableName;
    bool utf8;                // the lines go out as UTF-8 rather than 1252
    std::string_view topLine; // written first when not empty
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
    std::string_view terminator; // ends every statement
    // Checks each named row's cells before anything is written or normalised (throws); nullptr:
    // the cells go into the script as typed.
    void (*checkRow)(int row, std::string_view name, std::string_view type, std::string_view size);
    // The SQL type of a checked row's letter and size cell; nullptr: the type table's text.
    std::string (*columnType)(char letter, std::string_view size);
    // The database's form of an upper-cased name (1252): a column's with its field number (from
    // 1), the table's with 0; nullptr: the name as it is.
    std::string (*fitName)(std::string_view upperName, int fieldNumber);
};

namespace {

// The InterBase/Firebird types the window's scripts use; the letters are tried in this order.
// clang-format off
constexpr TypeLetter kClassicTypes[] = {
    {'D', "DATE",     SizeUse::none,     "",                           "0"},
    {'V', "VARCHAR(", SizeUse::verbatim, ")  CHARACTER SET ISO8859_1", ""},
    {'T', "TIME",     SizeUse::none,     "",                           "0"},
    {'B', "BOOLEAN",  SizeUse::none,     "",                           "0"},
    {'I', "INTEGER",  SizeUse::none,     "",                           "0"},
    {'M', "MEMO",     SizeUse::none,     "",                           "1"},
    {'C', "CHAR",     SizeUse::none,     "",                           ""},
    {'N', "NUMERIC(", SizeUse::verbatim, ")",                          ""},
};

// Firebird 3 and later: the letters and the size cells they fix, as the classic ones; the SQL text
// comes from the Firebird type model (firebirdColumnType).
constexpr TypeLetter kFirebirdTypes[] = {
    {'D', "DATE",                                  SizeUse::none,     "",                     "0"},
    {'V', "VARCHAR(",                              SizeUse::verbatim, ") CHARACTER SET UTF8", ""},
    {'T', "TIME",                                  SizeUse::none,     "",                     "0"},
    {'B', "BOOLEAN",                               SizeUse::none,     "",                     "0"},
    {'I', "INTEGER",                               SizeUse::none,     "",                     "0"},
    {'M', "BLOB SUB_TYPE TEXT CHARACTER SET UTF8", SizeUse::none,     "",                     "1"},
    {'C', "CHAR(",                                 SizeUse::positive, ") CHARACTER SET UTF8", ""},
    {'N', "NUMERIC(",                              SizeUse::verbatim, ")",                    ""},
};
// clang-format on

// The window's scripts are read by the interactive SQL tool one statement at a time, so they
// carry no terminator.
constexpr DesignerScriptProfile kClassicProfile = {
    .types = kClassicTypes,
    .quote = "\"",
    .doubleInnerQuotes = false,
    .quoteTableName = false,
    .utf8 = false,
    .topLine = "",
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
    .terminator = "",
    .checkRow = nullptr,
    .columnType = nullptr,
    .fitName = nullptr,
};

// The types of the letters as every Firebird output writes them: text in UTF-8, so that any
// language survives; a memo a text blob (MEMO would need a domain of that name); CHAR of the size
// when it is one, else the single character the classic bare CHAR stands for. Only rows that
// checkFirebirdDesignerRow let through arrive here.
std::string firebirdColumnType(char letter, std::string_view size) {
    using firebird::ColumnKind;
    const auto number = [](std::string_view digits) {
        int value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return value;
    };
    firebird::ColumnType type;
    switch (letter) {
    case 'D':
        type.kind = ColumnKind::Date;
        break;
    case 'V':
        type.kind = ColumnKind::Varchar;
        type.length = number(size);
        break;
    case 'T':
        type.kind = ColumnKind::Time;
        break;
    case 'B':
        type.kind = ColumnKind::Boolean;
        break;
    case 'I':
        type.kind = ColumnKind::Integer;
        break;
    case 'M':
        type.kind = ColumnKind::TextBlob;
        break;
    case 'C':
        type.kind = ColumnKind::Char;
        type.length = std::max(1, number(size));
        break;
    default: { // N: "p" or "p,s"
        const std::size_t comma = size.find(',');
        type.kind = ColumnKind::Numeric;
        type.precision = number(size.substr(0, comma));
        type.scale = comma == std::string_view::npos ? 0 : number(size.substr(comma + 1));
        break;
    }
    }
    std::string text;
    firebird::appendColumnType(text, type);
    return text;
}

// Names over Firebird's 31 bytes of UTF-8 are shortened as the firebird scripts of tables do it:
// a column keeps its first bytes and "_" and its field number, the table a hash of its name.
std::string firebirdFitName(std::string_view upperName, int fieldNumber) {
    const std::string utf8 = ansiToUtf8(upperName);
    return utf8ToAnsi(fieldNumber > 0 ? firebird::fitName(utf8, "_" + std::to_string(fieldNumber))
                                      : firebird::fitName(utf8, firebird::hashTag(utf8)));
}

// A whole script for isql-fb on a dialect 3 database: it says its own character set and ends
// every statement, so it runs as one file. Only the eight letters and the sizes Firebird takes
// get into it: a cell that would put other text into a statement is refused.
constexpr DesignerScriptProfile kFirebirdProfile = {
    .types = kFirebirdTypes,
    .quote = "\"",
    .doubleInnerQuotes = true,
    .quoteTableName = true,
    .utf8 = true,
    .topLine = "SET NAMES UTF8;",
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
    .terminator = ";",
    .checkRow = checkFirebirdDesignerRow,
    .columnType = firebirdColumnType,
    .fitName = firebirdFitName,
};

std::string join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

// The name between the profile's quotes, a quote inside it doubled when the profile asks.
std::string quoted(const DesignerScriptProfile& profile, std::string_view name) {
    std::string text(profile.quote);
    for (char c : name) {
        text += c;
        if (profile.doubleInnerQuotes && profile.quote.find(c) != std::string_view::npos)
            text += c;
    }
    text += profile.quote;
    return text;
}

bool isPositiveWholeNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos &&
           text.find_first_not_of('0') != std::string_view::npos;
}

// The SQL type of a type cell (already upper-cased); sets the size cell as the letter fixes it.
// A cell that holds no letter of the table stands for itself, so that a domain name typed there
// reaches the script; an empty one contributes nothing. (The firebird profile's row check lets
// no such cell through.)
std::string sqlTypeOf(const DesignerScriptProfile& profile, DesignerGrid& grid, int row) {
    const std::string& type = grid.cell(DesignerGrid::kTypeColumn, row);
    for (const TypeLetter& entry : profile.types) {
        if (type.size() != 1 || type[0] != entry.letter)
            continue;
        const std::string& size = grid.cell(DesignerGrid::kSizeColumn, row);
        if (profile.columnType != nullptr) {
            std::string sqlType = profile.columnType(entry.letter, size);
            if (!entry.sizeCell.empty())
                grid.setCell(DesignerGrid::kSizeColumn, row, entry.sizeCell);
            return sqlType;
        }
        std::string sqlType(entry.sqlType);
        if (entry.size == SizeUse::verbatim)
            sqlType += join({size, entry.afterSize});
        else if (entry.size == SizeUse::positive)
            sqlType +=
                join({isPositiveWholeNumber(size) ? std::string_view(size) : "1", entry.afterSize});
        if (!entry.sizeCell.empty())
            grid.setCell(DesignerGrid::kSizeColumn, row, entry.sizeCell);
        return sqlType;
    }
    return type;
}

// Normalises the cells of a named row and returns its field line, upper-cased and ending with
// the comma of its suffix. A key field's quoted name goes into keyList, each followed by a comma.
std::string fieldLine(const DesignerScriptProfile& profile, DesignerGrid& grid, int row,
                      std::string& keyList) {
    std::string name = grid.cell(DesignerGrid::kNameColumn, row);
    std::string upperName = ansiUpperCase(name);
    grid.setCell(DesignerGrid::kNameColumn, row, upperName);
    if (profile.fitName != nullptr) {
        upperName = profile.fitName(upperName, row - DesignerGrid::kFirstFieldRow + 1);
        name = upperName;
    }
    grid.setCell(DesignerGrid::kTypeColumn, row,
                 ansiUpperCase(grid.cell(DesignerGrid::kTypeColumn, row)));
    if (grid.cell(DesignerGrid::kSizeColumn, row).empty())
        grid.setCell(DesignerGrid::kSizeColumn, row, "0");
    const std::string& key = grid.cell(DesignerGrid::kKeyColumn, row);
    if (!key.empty() && key != "*")
        grid.setCell(DesignerGrid::kKeyColumn, row, "*");
    if (grid.cell(DesignerGrid::kKeyColumn, row) == "*") {
        keyList += join({quoted(profile, upperName), ","});
        grid.setCell(DesignerGrid::kNullColumn, row, "N");
    }
    // only an upper-case "N" refuses nulls: the null cell is never upper-cased
    const bool notNull = grid.cell(DesignerGrid::kNullColumn, row) == "N";
    const std::string sqlType = sqlTypeOf(profile, grid, row);
    return ansiUpperCase(
        join({quoted(profile, name), "  ", sqlType, notNull ? profile.notNull : profile.nullable}));
}

void checkRows(const DesignerScriptProfile& profile, const DesignerGrid& grid) {
    if (profile.checkRow == nullptr)
        return;
    for (int row = DesignerGrid::kFirstFieldRow;
         row <= DesignerGrid::kDesignRows && grid.isNamed(row); ++row)
        profile.checkRow(row, grid.cell(DesignerGrid::kNameColumn, row),
                         grid.cell(DesignerGrid::kTypeColumn, row),
                         grid.cell(DesignerGrid::kSizeColumn, row));
}

bool nextRowIsNamed(const DesignerGrid& grid, int row) {
    return row < DesignerGrid::kDesignRows && grid.isNamed(row + 1);
}

// Hands the script's lines on in the profile's encoding (they are built in 1252, as the grid
// holds them).
class ScriptLines {
public:
    ScriptLines(const DesignerScriptProfile& profile, const ScriptLineWriter& writeLine)
        : m_utf8(profile.utf8), m_writeLine(writeLine) {}
    void operator()(std::string_view line) const {
        if (m_utf8)
            m_writeLine(ansiToUtf8(line));
        else
            m_writeLine(line);
    }

private:
    bool m_utf8;
    const ScriptLineWriter& m_writeLine;
};

// Writes the field lines; the comma stays when another line follows inside the statement, and
// the last line of an ALTER TABLE ends the statement. Returns the key list without its final
// comma.
std::string writeFieldLines(const DesignerScriptProfile& profile, DesignerScript kind,
                            DesignerGrid& grid, const ScriptLines& writeLine) {
    std::string keyList;
    for (int row = DesignerGrid::kFirstFieldRow;
         row <= DesignerGrid::kDesignRows && grid.isNamed(row); ++row) {
        std::string line = fieldLine(profile, grid, row, keyList);
        // CREATE TABLE closes with its key clause; ALTER TABLE adds the key in a statement of its
        // own
        const bool followed =
            nextRowIsNamed(grid, row) || (kind == DesignerScript::createTable && !keyList.empty());
        if (!followed) {
            line.pop_back();
            if (kind == DesignerScript::alterTable)
                line += profile.terminator;
        }
        writeLine(kind == DesignerScript::alterTable ? join({profile.alterField, line}) : line);
    }
    if (!keyList.empty())
        keyList.pop_back();
    return keyList;
}

// The table name as the statements of kind write it.
std::string tableNameIn(const DesignerScriptProfile& profile, DesignerScript kind,
                        std::string_view tableName) {
    if (profile.quoteTableName) {
        const std::string upper = ansiUpperCase(tableName);
        return quoted(profile, profile.fitName != nullptr ? profile.fitName(upper, 0) : upper);
    }
    return kind == DesignerScript::alterTable ? ansiUpperCase(tableName) : std::string(tableName);
}

void writeCreate(const DesignerScriptProfile& profile, DesignerGrid& grid,
                 std::string_view tableName, const ScriptLines& writeLine) {
    writeLine(
        join({profile.createHead, tableNameIn(profile, DesignerScript::createTable, tableName)}));
    writeLine(profile.createOpen);
    const std::string keys = writeFieldLines(profile, DesignerScript::createTable, grid, writeLine);
    if (!keys.empty()) {
        writeLine("");
        writeLine(join({profile.createKeyHead, keys, profile.keyTail}));
    }
    writeLine(join({profile.createClose, profile.terminator}));
}

void writeAlter(const DesignerScriptProfile& profile, DesignerGrid& grid,
                std::string_view tableName, const ScriptLines& writeLine) {
    const std::string head =
        join({profile.alterHead, tableNameIn(profile, DesignerScript::alterTable, tableName)});
    // without a field the statement ends on its first line
    writeLine(grid.isNamed(DesignerGrid::kFirstFieldRow) ? head : join({head, profile.terminator}));
    const std::string keys = writeFieldLines(profile, DesignerScript::alterTable, grid, writeLine);
    if (!keys.empty()) {
        writeLine("");
        writeLine("");
        writeLine(head);
        writeLine(join({profile.alterKeyHead, keys, profile.keyTail, profile.terminator}));
    }
}

} // namespace

const DesignerScriptProfile& classicDesignerProfile() {
    return kClassicProfile;
}

const DesignerScriptProfile& firebirdDesignerProfile() {
    return kFirebirdProfile;
}

void refuseUnsafeTableName(std::string_view tableName) {
    if (tableName == "." || tableName == ".." ||
        tableName.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        throw EInOutError(kInvalidFilename);
}

bool writeDesignerScript(DesignerScript kind, DesignerGrid& grid, std::string_view tableName,
                         const ScriptLineWriter& writeLine, const DesignerScriptProfile& profile) {
    if (tableName.empty())
        return false;
    refuseUnsafeTableName(tableName);
    checkRows(profile, grid);
    const ScriptLines lines(profile, writeLine);
    if (!profile.topLine.empty())
        lines(profile.topLine);
    if (kind == DesignerScript::createTable)
        writeCreate(profile, grid, tableName, lines);
    else
        writeAlter(profile, grid, tableName, lines);
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
