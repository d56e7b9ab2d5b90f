#include "scripts/dataexport.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "scripts/linesink.h"
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

// The text as the field's text getter gives it, without copying it when it is stored as text.
template <typename Use> void withFieldText(const TField& field, Use&& use) {
    const engine::Value& value = field.value();
    if (value.kind == engine::Value::Kind::Null) {
        use(std::string_view());
    } else if (value.kind == engine::Value::Kind::Text) {
        const std::string_view text = value.text;
        use(text.substr(0, text.find('\0')));
    } else {
        const std::string text = field.AsString();
        use(std::string_view(text));
    }
}

// Between apostrophes, an apostrophe inside doubled so that the SQL string stays whole.
void appendQuoted(std::string& out, std::string_view text) {
    out += '\'';
    for (;;) {
        const std::size_t quote = text.find('\'');
        if (quote == std::string_view::npos)
            break;
        out.append(text.substr(0, quote + 1));
        out += '\'';
        text.remove_prefix(quote + 1);
    }
    out.append(text);
    out += '\'';
}

void appendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// The numbers are written with the user's decimal separator; a decimal comma then becomes the
// point that SQL needs.
void commaToPoint(std::string& out, std::size_t from) {
    const std::size_t comma = out.find(',', from);
    if (comma != std::string::npos)
        out[comma] = '.';
}

void classicAppendValue(std::string& out, ExportValue kind, const TField& field,
                        const RegionalSettings& settings) {
    const std::size_t start = out.size();
    switch (kind) {
    case ExportValue::Text:
        withFieldText(field, [&out](std::string_view text) { appendQuoted(out, text); });
        return;
    case ExportValue::Integer:
        appendInteger(out, field.AsInteger());
        return;
    case ExportValue::Logical:
        out += field.AsBoolean() ? "\"S\"" : "\"N\"";
        return;
    case ExportValue::Fixed2:
        appendFixed2(out, field.AsFloat(), settings.decimalSeparator);
        commaToPoint(out, start);
        return;
    case ExportValue::Money:
        appendCurrency(out, field.AsCurrency(), settings.decimalSeparator);
        commaToPoint(out, start);
        return;
    case ExportValue::Date:
        appendShortDate(out, field.AsDateTime(), settings);
        return;
    case ExportValue::Time:
        appendLongTime(out, field.AsDateTime(), settings);
        return;
    case ExportValue::DateAndTime: {
        const double dateTime = field.AsDateTime();
        appendShortDate(out, dateTime, settings);
        out += ' ';
        appendLongTime(out, dateTime, settings);
        return;
    }
    case ExportValue::Decimal:
        appendGeneral(out, field.AsFloat(), ".");
        return;
    case ExportValue::Null:
        out += "NULL";
        return;
    }
}

void classicCallStart(std::string& out, std::string_view tableName) {
    out += "EXECUTE PROCEDURE IN_";
    out += tableName;
    out += '(';
}

// One field of the export: its value and how it is written.
struct ExportColumn {
    const TField* field;
    ExportValue kind;
};

} // namespace

const DataExportProfile& classicDataExportProfile() {
    static const DataExportProfile profile{classicValueOf, classicAppendValue, classicCallStart,
                                           ");"};
    return profile;
}

void writeDataExport(TTable& table, const std::string& path, const RegionalSettings& settings,
                     LineSink& sink, const ExportProgress& progress,
                     const DataExportProfile& profile) {
    table.Close();
    table.setTableName(path);
    table.Open();
    std::string callStart;
    profile.callStart(callStart, tableNameFromPath(path));

    // Field i is written as the type of field definition i says, even where a column without a
    // field has shifted the fields against the definitions.
    std::vector<ExportColumn> columns;
    for (int i = 0; i < table.FieldCount(); ++i)
        columns.push_back({&table.Fields(i), profile.valueOf(table.FieldDefs()[i].DataType)});

    try {
        std::string line;
        std::uint64_t records = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            line.assign(callStart);
            for (const ExportColumn& column : columns) {
                profile.appendValue(line, column.kind, *column.field, settings);
                line += ',';
            }
            if (!columns.empty())
                line.pop_back();
            line += profile.callEnd;
            sink.appendLine(line);
            if (++records % kExportProgressInterval == 0 && progress)
                progress(records);
        }
    } catch (const EAbort&) {
        // stopped by the user: nothing is wrong with the table, so it is not left open
        table.Close();
        throw;
    }
    sink.appendLine({});
    table.Close();
}

} // namespace vorendal
