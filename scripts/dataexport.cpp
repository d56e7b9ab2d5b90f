#include "scripts/dataexport.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "scripts/linesink.h"
#include "scripts/quickfixed.h"
#include "scripts/valueformat.h"
#include "source/tablename.h"

namespace vorendal {
namespace {

// ---- classic profile -----------------------------------------------------------------------

ExportValue classicValueOf(TFieldType type) {
    switch (type) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
        return ExportValue::Text;
    case ftInteger:
    case ftSmallint:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return ExportValue::Integer;
    case ftBoolean:
        return ExportValue::Logical;
    case ftFloat:
        return ExportValue::Fixed2;
    case ftCurrency:
        return ExportValue::Money;
    case ftDate:
        return ExportValue::Date;
    case ftTime:
        return ExportValue::Time;
    case ftDateTime:
    case ftTimeStamp:
        return ExportValue::DateAndTime;
    case ftBCD:
        return ExportValue::Decimal;
    default:
        return ExportValue::Null;
    }
}

// Between apostrophes, an apostrophe inside doubled so that the SQL string stays whole. The
// text ends at its first zero byte, as the field's text getter gives it.
void appendQuoted(std::string& out, std::string_view text) {
    if (text.empty()) { // memchr takes no null pointer, not even for no bytes
        out += "''";
        return;
    }
    if (const void* zero = std::memchr(text.data(), '\0', text.size()))
        text =
            text.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
    out += '\'';
    for (;;) {
        const void* quote = std::memchr(text.data(), '\'', text.size());
        if (quote == nullptr)
            break;
        const auto upTo = static_cast<std::size_t>(static_cast<const char*>(quote) - text.data());
        out.append(text.data(), upTo + 1);
        out += '\'';
        text.remove_prefix(upTo + 1);
    }
    out.append(text);
    out += '\'';
}

// The field's text, without copying it when it is stored as text.
void appendQuotedField(std::string& out, const TField& field) {
    const engine::Value& value = field.value();
    if (value.kind == engine::Value::Kind::Text)
        appendQuoted(out, value.text);
    else if (value.kind == engine::Value::Kind::Null)
        appendQuoted(out, {});
    else
        appendQuoted(out, field.AsString());
}

void appendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

// The numbers are written with the user's decimal separator; a decimal comma then becomes the
// point that SQL needs. Only a separator with a comma in it can put one there.
void commaToPoint(std::string& out, std::size_t from, const RegionalSettings& settings) {
    if (settings.decimalSeparator.find(',') == std::string::npos)
        return;
    const std::size_t comma = out.find(',', from);
    if (comma != std::string::npos)
        out[comma] = '.';
}

bool classicAppendValue(std::string& out, ExportValue kind, const TField& field,
                        const TFieldDef& /*def*/, const RegionalSettings& settings) {
    const std::size_t start = out.size();
    switch (kind) {
    case ExportValue::Text:
        appendQuotedField(out, field);
        return true;
    case ExportValue::Integer:
        appendInteger(out, field.AsInteger());
        return true;
    case ExportValue::Logical:
        out += field.AsBoolean() ? "\"S\"" : "\"N\"";
        return true;
    case ExportValue::Fixed2:
        if (const double number = field.AsFloat();
            !tryAppendFixed2(out, number, settings.decimalSeparator))
            appendFixed2(out, number, settings.decimalSeparator);
        commaToPoint(out, start, settings);
        return true;
    case ExportValue::Money:
        appendCurrency(out, field.AsCurrency(), settings.decimalSeparator);
        commaToPoint(out, start, settings);
        return true;
    case ExportValue::Date:
        appendShortDate(out, field.AsDateTime(), settings);
        return true;
    case ExportValue::Time:
        appendLongTime(out, field.AsDateTime(), settings);
        return true;
    case ExportValue::DateAndTime: {
        const double dateTime = field.AsDateTime();
        appendShortDate(out, dateTime, settings);
        out += ' ';
        appendLongTime(out, dateTime, settings);
        return true;
    }
    case ExportValue::Decimal:
        appendGeneral(out, field.AsFloat(), ".");
        return true;
    case ExportValue::Binary:
    case ExportValue::Null:
        out += "NULL";
        return true;
    }
    return true;
}

void classicCallStart(std::string& out, std::string_view tableName) {
    out += "EXECUTE PROCEDURE IN_";
    out += tableName;
    out += '(';
}

// A value the output cannot hold is written as NULL, never silently: without a listener the
// warning goes to standard error.
void warnOfValue(const ExportWarning& warning, std::string_view table, std::uint64_t record,
                 std::string_view field) {
    if (warning) {
        warning(table, record, field);
        return;
    }
    std::fprintf(
        stderr,
        "warning: %.*s, record %llu, field %.*s: the value cannot be written; NULL instead\n",
        static_cast<int>(table.size()), table.data(), static_cast<unsigned long long>(record),
        static_cast<int>(field.size()), field.data());
}

// One field of the export: its value and how it is written.
struct ExportColumn {
    const TField* field;
    const TFieldDef* def;
    ExportValue kind;
};

} // namespace

const DataExportProfile& classicDataExportProfile() {
    static const DataExportProfile profile{
        {}, classicValueOf, classicAppendValue, tableNameFromPath, classicCallStart, ");", 0, {},
        {}};
    return profile;
}

void writeDataExport(TTable& table, const std::string& path, const RegionalSettings& settings,
                     LineSink& sink, const ExportProgress& progress,
                     const DataExportProfile& profile, const ExportWarning& warning) {
    table.Close();
    table.setTableName(path);
    table.Open();
    const std::string tableName = profile.tableName(path);
    std::string callStart;
    profile.callStart(callStart, tableName);
    for (const std::string_view header : profile.headerLines)
        sink.appendLine(header);

    // Field i is written as the type of field definition i says, even where a column without a
    // field has shifted the fields against the definitions.
    std::vector<ExportColumn> columns;
    for (int i = 0; i < table.FieldCount(); ++i)
        columns.push_back({&table.Fields(i), &table.FieldDefs()[i],
                           profile.valueOf(table.FieldDefs()[i].DataType)});

    if (columns.empty() && !profile.noFieldsLine.empty()) {
        sink.appendLine(profile.noFieldsLine);
        sink.appendLine({});
        table.Close();
        return;
    }
    try {
        std::string line;
        std::uint64_t records = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            line.assign(callStart);
            for (const ExportColumn& column : columns) {
                if (!profile.appendValue(line, column.kind, *column.field, *column.def, settings)) {
                    line += "NULL";
                    warnOfValue(warning, tableName, records + 1, column.field->FieldName());
                }
                line += ',';
            }
            if (!columns.empty())
                line.pop_back();
            line += profile.callEnd;
            sink.appendLine(line);
            ++records;
            if (profile.commitEvery != 0 && records % profile.commitEvery == 0)
                sink.appendLine(profile.commitLine);
            if (records % kExportProgressInterval == 0 && progress)
                progress(records);
        }
        if (profile.commitEvery != 0 && records % profile.commitEvery != 0)
            sink.appendLine(profile.commitLine);
    } catch (const EAbort&) {
        // stopped by the user: nothing is wrong with the table, so it is not left open
        table.Close();
        throw;
    }
    sink.appendLine({});
    table.Close();
}

} // namespace vorendal
