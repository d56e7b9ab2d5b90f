// The firebird output profile of the structure, procedure and data scripts: Firebird 3 and later,
// dialect 3, every text in UTF-8, every name delimited, every value a literal that Firebird reads
// the same whatever the locale.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/ansi.h"
#include "firebird/firebirdliterals.h"
#include "firebird/firebirdnames.h"
#include "firebird/firebirdtypes.h"
#include "scripts/dataexport.h"
#include "scripts/linesink.h"
#include "scripts/procedurescript.h"
#include "scripts/structurescript.h"
#include "source/engine/codepage.h"
#include "source/tablerules.h"
#include "source/ttable.h"

namespace vorendal {
namespace {

using firebird::appendIdentifier;

bool isBinaryType(TFieldType type) {
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
        return true;
    default:
        return false;
    }
}

// One type for a column and its parameter, so that the procedure takes what the table keeps.
void firebirdType(std::string& out, const TFieldDef& def) {
    firebird::appendColumnType(out, firebird::columnTypeOf(def.DataType, def.Size));
}

// ---- structure -----------------------------------------------------------------------------

constexpr std::string_view kSetNames[] = {"SET NAMES UTF8;"};

// Firebird has no table without columns.
constexpr std::string_view kNoFields = "/* The table has no fields: nothing to create or load. */";

// dBASE and FoxPro keep one entry per key in a unique index and let the table hold duplicates,
// so their unique indexes become plain ones; Paradox refuses duplicates and keeps UNIQUE.
bool uniqueHolds(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.size() - dot != 4)
        return true;
    std::string extension;
    for (const char c : path.substr(dot + 1))
        extension += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return extension != "DBF";
}

bool isPrimaryIndex(const TIndexDef& index, int position) {
    // Paradox keeps its key as the first index; uniqueness follows from it in any case
    return position == 0 && index.Options.contains(ixPrimary);
}

void createTableLine(std::string& out, std::string_view tableName) {
    out += "CREATE TABLE ";
    appendIdentifier(out, tableName);
}

void columnLine(std::string& out, std::string_view name, std::string_view type, bool last) {
    out += "  ";
    appendIdentifier(out, name);
    out += ' ';
    out += type;
    if (!last)
        out += ',';
}

void appendColumnList(std::string& out, std::span<const std::string> columns) {
    out += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendIdentifier(out, columns[i]);
    }
    out += ");";
}

void indexLine(std::string& out, const ScriptIndex& index) {
    if (index.columns.empty() || index.options.contains(ixExpression)) {
        // Firebird's expression indexes speak SQL, not the table's own expression language
        out += "/* ";
        out += firebird::indexName(index.tableName, index.position);
        out += ": an index on an expression";
        if (!index.upperFields.empty() && index.upperFields.find("*/") == std::string_view::npos) {
            out += ' ';
            out += index.upperFields;
        }
        out += ", not created */";
        return;
    }
    if (index.primary) {
        out += "ALTER TABLE ";
        appendIdentifier(out, index.tableName);
        out += " ADD PRIMARY KEY";
        appendColumnList(out, index.columns);
        return;
    }
    out += "CREATE ";
    if (index.options.contains(ixUnique) && uniqueHolds(index.path))
        out += "UNIQUE ";
    if (index.options.contains(ixDescending))
        out += "DESCENDING ";
    out += "INDEX ";
    appendIdentifier(out, firebird::indexName(index.tableName, index.position));
    out += " ON ";
    appendIdentifier(out, index.tableName);
    appendColumnList(out, index.columns);
}

// ---- procedure -----------------------------------------------------------------------------

constexpr std::string_view kCreateHeader[] = {"SET NAMES UTF8;",
                                              "COMMIT WORK;",
                                              "SET AUTODDL OFF;",
                                              "SET TERM ^ ;",
                                              "",
                                              "/* Stored Procedures */",
                                              ""};

constexpr std::string_view kStub[] = {"AS", " BEGIN",       "     EXIT;",       " END^",
                                      "",   "SET TERM ; ^", "COMMIT WORK;",     "SET AUTODDL ON;",
                                      "",   "COMMIT WORK;", "SET AUTODDL OFF;", "SET TERM ^ ;"};

constexpr std::string_view kBodyStart[] = {"AS", " BEGIN"};

constexpr std::string_view kClosing[] = {"END^", "SET TERM ; ^", "COMMIT WORK;", "SET AUTODDL ON;"};

void createProcedureLine(std::string& out, std::string_view tableName) {
    out += "CREATE PROCEDURE ";
    appendIdentifier(out, firebird::procedureName(tableName));
    out += '(';
}

void alterProcedureLine(std::string& out, std::string_view tableName) {
    out += "ALTER PROCEDURE ";
    appendIdentifier(out, firebird::procedureName(tableName));
    out += '(';
}

void parameterLine(std::string& out, std::string_view name, std::string_view type, bool last) {
    appendIdentifier(out, name);
    out += ' ';
    out += type;
    out += last ? ')' : ',';
}

void insertLine(std::string& out, std::string_view tableName, std::span<const std::string> names) {
    out += "  INSERT INTO ";
    appendIdentifier(out, tableName);
    out += '(';
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += ',';
        appendIdentifier(out, names[i]);
    }
    out += ')';
}

void valuesLine(std::string& out, std::span<const std::string> parameters) {
    out += "VALUES(";
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i > 0)
            out += ',';
        out += ':';
        appendIdentifier(out, parameters[i]);
    }
    out += ");";
}

// ---- data ----------------------------------------------------------------------------------

ExportValue valueOf(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
        return ExportValue::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return ExportValue::Integer;
    case ftBoolean:
        return ExportValue::Logical;
    case ftFloat:
        return ExportValue::Decimal;
    case ftCurrency:
        return ExportValue::Money;
    case ftBCD:
    case ftFMTBcd:
        return ExportValue::Fixed2; // scaled by the field's decimals
    case ftDate:
        return ExportValue::Date;
    case ftTime:
        return ExportValue::Time;
    case ftDateTime:
    case ftTimeStamp:
        return ExportValue::DateAndTime;
    default:
        return isBinaryType(type) ? ExportValue::Binary : ExportValue::Null;
    }
}

// The text up to its first zero byte, as the field's text getter gives it.
std::string_view textOf(const std::string& text) {
    const std::size_t zero = text.find('\0');
    return zero == std::string::npos ? std::string_view(text)
                                     : std::string_view(text).substr(0, zero);
}

// A text as a literal. The script's lines end in CR LF and isql reads a CR LF inside a literal
// as LF, so a text with a CR carries a stand-in character instead (a private-use character the
// text does not hold) that REPLACE turns back into the CR.
void appendText(std::string& out, std::string_view text) {
    if (text.find('\r') == std::string_view::npos) {
        firebird::appendTextLiteral(out, text);
        return;
    }
    std::string standIn;
    for (char32_t c = 0xE000; c <= 0xF8FF; ++c) {
        standIn.clear();
        appendUtf8(standIn, c);
        if (text.find(standIn) == std::string_view::npos)
            break;
    }
    std::string replaced;
    replaced.reserve(text.size() + 64);
    for (const char c : text) {
        if (c == '\r')
            replaced += standIn;
        else
            replaced += c;
    }
    out += "REPLACE(";
    firebird::appendTextLiteral(out, replaced);
    out += ", '";
    out += standIn;
    out += "', ASCII_CHAR(13))";
}

// The stored double rounded to decimals places, exactly; false beyond NUMERIC's digits.
bool appendScaled(std::string& out, double value, int decimals) {
    std::int64_t scaled = 0;
    if (!firebird::scaledFromDouble(value, decimals, scaled))
        return false;
    firebird::appendScaledLiteral(out, scaled, decimals);
    return true;
}

bool appendInteger(std::string& out, std::int64_t value, TFieldType type) {
    if (!firebird::integerFits(firebird::columnTypeOf(type, 0).kind, value))
        return false;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
    return true;
}

bool appendValue(std::string& out, ExportValue kind, const TField& field, const TFieldDef& def,
                 const RegionalSettings& /*settings*/) {
    const engine::Value& value = field.value();
    using K = engine::Value::Kind;
    switch (value.kind) {
    case K::Null:
        out += "NULL";
        return true;
    case K::Text:
        if (kind == ExportValue::Binary)
            firebird::appendBinaryLiteral(out, value.text);
        else
            appendText(out, textOf(value.text));
        return true;
    case K::Bytes:
        firebird::appendBinaryLiteral(out, value.text);
        return true;
    case K::Integer:
        return appendInteger(out, value.integer, def.DataType);
    case K::Boolean:
        out += value.boolean ? "TRUE" : "FALSE";
        return true;
    case K::Float:
        if (kind == ExportValue::Money)
            return appendScaled(out, value.number, 4);
        if (kind == ExportValue::Fixed2 && def.Size >= 0 &&
            def.Size <= firebird::kMaxNumericPrecision)
            return appendScaled(out, value.number, def.Size);
        if (value.decimals >= 0) { // the table's own digits: no need to take the double apart
            firebird::appendDecimalLiteral(out, std::signbit(value.number),
                                           static_cast<std::uint64_t>(value.integer),
                                           value.decimals, value.number);
            return true;
        }
        return firebird::appendDoubleLiteral(out, value.number);
    case K::Date:
        return firebird::appendDateLiteral(out, value.days);
    case K::Time:
        return firebird::appendTimeLiteral(out, value.millis);
    case K::DateTime:
        return firebird::appendTimestampLiteral(out, value.days, value.millis);
    }
    return false;
}

void callStart(std::string& out, std::string_view tableName) {
    out += "EXECUTE PROCEDURE ";
    appendIdentifier(out, firebird::procedureName(tableName));
    out += '(';
}

// The columns that take no NULL are the keys, the required fields and (Visual FoxPro) the fields
// that take no null: a text column of those stays NOT NULL whatever its blanks, which the rules
// of the table also know.
std::vector<bool> blankIsEmptyText(TTable& table, std::string_view path) {
    const std::vector<bool> notNull =
        structureLines(table, path, firebirdStructureProfile()).notNull;
    const std::vector<FieldRules>& rules = table.rules().fields;
    std::vector<bool> empty;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TFieldDef& def = table.FieldDefs()[i];
        const auto at = static_cast<std::size_t>(i);
        const bool takesNoNull =
            (at < notNull.size() && notNull[at]) ||
            (at < rules.size() && (rules[at].required || rules[at].nullable == false));
        empty.push_back(firebird::blankIsEmptyText(firebird::columnTypeOf(def.DataType, def.Size),
                                                   takesNoNull));
    }
    return empty;
}

// A value too long for its row's statement is held in this table, a piece a row, and taken back
// whole by LIST over its pieces in order (LIST joins blobs without a length limit, in one pass).
// The table lives as long as the table's data needs it; RECREATE replaces one that a broken run
// left behind.
#define VORENDAL_PIECES "\"VORENDAL$PIECES\""

constexpr std::string_view kHoldingStart[] = {
    "RECREATE GLOBAL TEMPORARY TABLE " VORENDAL_PIECES " (\"N\" INTEGER, \"I\" INTEGER, "
    "\"T\" BLOB SUB_TYPE TEXT CHARACTER SET UTF8, \"B\" BLOB SUB_TYPE BINARY) "
    "ON COMMIT PRESERVE ROWS;",
    "COMMIT;"};
// Firebird drops the table only when its rows are gone and that is committed.
constexpr std::string_view kHeldCallEnd = "DELETE FROM " VORENDAL_PIECES ";";
constexpr std::string_view kHoldingEnd[] = {"DROP TABLE " VORENDAL_PIECES ";", "COMMIT;"};

void appendNumber(std::string& out, std::size_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

bool holdValue(LineSink& sink, std::string& out, ExportValue kind, const TField& field, int slot) {
    const engine::Value& value = field.value();
    const bool binary = value.kind == engine::Value::Kind::Bytes ||
                        (value.kind == engine::Value::Kind::Text && kind == ExportValue::Binary);
    if (!binary && value.kind != engine::Value::Kind::Text)
        return false;
    const std::string_view bytes = binary ? std::string_view(value.text) : textOf(value.text);
    if (bytes.size() <= firebird::kLiteralPieceBytes)
        return false;
    const auto number = static_cast<std::size_t>(slot);
    std::string line;
    std::size_t piece = 0;
    for (std::size_t start = 0, end = 0; start < bytes.size(); start = end, ++piece) {
        end = binary ? std::min(bytes.size(), start + firebird::kLiteralPieceBytes)
                     : firebird::textPieceEnd(bytes, start);
        line.assign(binary ? "INSERT INTO " VORENDAL_PIECES " (\"N\", \"I\", \"B\") VALUES ("
                           : "INSERT INTO " VORENDAL_PIECES " (\"N\", \"I\", \"T\") VALUES (");
        appendNumber(line, number);
        line += ", ";
        appendNumber(line, piece);
        line += ", ";
        if (binary)
            firebird::appendBinaryLiteral(line, bytes.substr(start, end - start));
        else
            appendText(line, bytes.substr(start, end - start));
        line += ");";
        sink.appendLine(line);
    }
    const std::string_view column = binary ? "\"B\"" : "\"T\"";
    out += "(SELECT LIST(";
    out += column;
    out += ", '') FROM (SELECT ";
    out += column;
    out += " FROM " VORENDAL_PIECES " WHERE \"N\" = ";
    appendNumber(out, number);
    out += " ORDER BY \"I\"))";
    return true;
}

// Firebird keeps a long load's work in one transaction unless told otherwise.

constexpr std::uint64_t kRowsPerCommit = 10000;

} // namespace

const StructureScriptProfile& firebirdStructureProfile() {
    static const StructureScriptProfile profile{kSetNames,
                                                firebird::tableName,
                                                firebird::upperCaseUtf8,
                                                firebird::fitColumnNames,
                                                isPrimaryIndex,
                                                true,
                                                true,
                                                firebirdType,
                                                " NOT NULL",
                                                createTableLine,
                                                "(",
                                                columnLine,
                                                ");",
                                                kNoFields,
                                                indexLine};
    return profile;
}

const ProcedureScriptProfile& firebirdProcedureProfile() {
    static const ProcedureScriptProfile profile{firebird::tableName,
                                                firebird::upperCaseUtf8,
                                                firebird::fitColumnNames,
                                                firebird::parameterNames,
                                                firebirdType,
                                                kCreateHeader,
                                                createProcedureLine,
                                                parameterLine,
                                                kStub,
                                                alterProcedureLine,
                                                parameterLine,
                                                kBodyStart,
                                                insertLine,
                                                valuesLine,
                                                kClosing,
                                                kNoFields};
    return profile;
}

const DataExportProfile& firebirdDataExportProfile() {
    static const DataExportProfile profile{
        kSetNames,           valueOf,       appendValue,
        firebird::tableName, callStart,     ");",
        kRowsPerCommit,      "COMMIT;",     kNoFields,
        blankIsEmptyText,    "''",          firebird::kLongestWholeCall,
        holdValue,           kHoldingStart, kHeldCallEnd,
        kHoldingEnd};
    return profile;
}

} // namespace vorendal
