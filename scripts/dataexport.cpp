#include "scripts/dataexport.h"

#include <charconv>
#include <cmath>
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

// Day numbers of 0001-01-01 and 9999-12-31, the dates written from their day number.
constexpr std::int32_t kFirstDay = 1;
constexpr std::int32_t kLastDay = 3652059;

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
        if (const engine::Value& value = field.value();
            value.kind == engine::Value::Kind::Float && value.decimals >= 0 &&
            tryAppendFixed2Decimal(out, std::signbit(value.number),
                                   static_cast<std::uint64_t>(value.integer), value.decimals,
                                   settings.decimalSeparator)) {
            // written from the table's own digits
        } else if (const double number = field.AsFloat();
                   !tryAppendFixed2(out, number, settings.decimalSeparator)) {
            appendFixed2(out, number, settings.decimalSeparator);
        }
        commaToPoint(out, start, settings);
        return true;
    case ExportValue::Money:
        appendCurrency(out, field.AsCurrency(), settings.decimalSeparator);
        commaToPoint(out, start, settings);
        return true;
    case ExportValue::Date:
        if (const engine::Value& value = field.value(); value.kind == engine::Value::Kind::Date &&
                                                        value.days >= kFirstDay &&
                                                        value.days <= kLastDay)
            appendShortDateOfDay(out, value.days, settings);
        else
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

} // namespace

const DataExportProfile& classicDataExportProfile() {
    static const DataExportProfile profile{
        {}, classicValueOf, classicAppendValue, tableNameFromPath, classicCallStart, ");", 0, {},
        {}};
    return profile;
}

DataScriptTarget::DataScriptTarget(LineSink& sink, const DataExportProfile& profile,
                                   const RegionalSettings& settings, std::string_view path)
    : m_sink(sink), m_profile(profile), m_settings(settings) {
    m_profile.callStart(m_callStart, m_profile.tableName(path));
}

void DataScriptTarget::beginTable(TTable& table) {
    for (const std::string_view header : m_profile.headerLines)
        m_sink.appendLine(header);
    // Field i is written as the type of field definition i says, even where a column without a
    // field has shifted the fields against the definitions.
    m_kinds.clear();
    for (int i = 0; i < table.FieldCount(); ++i)
        m_kinds.push_back(m_profile.valueOf(table.FieldDefs()[i].DataType));
}

bool DataScriptTarget::formatsLines() const {
    return !m_kinds.empty() || m_profile.noFieldsLine.empty();
}

void DataScriptTarget::formatRecord(TTable& table, std::uint64_t record, std::string& line,
                                    ExportResult& result) const {
    line += m_callStart;
    for (std::size_t i = 0; i < m_kinds.size(); ++i) {
        const int index = static_cast<int>(i);
        const TField& field = table.Fields(index);
        if (!m_profile.appendValue(line, m_kinds[i], field, table.FieldDefs()[index], m_settings)) {
            line += "NULL";
            result.addNull(record, field.FieldName());
        }
        line += ',';
    }
    if (!m_kinds.empty())
        line.pop_back();
    line += m_profile.callEnd;
}

void DataScriptTarget::writeLine(std::string_view line, std::uint64_t record) {
    m_sink.appendLine(line);
    if (m_profile.commitEvery != 0 && record % m_profile.commitEvery == 0)
        m_sink.appendLine(m_profile.commitLine);
}

void DataScriptTarget::writeRecord(TTable& table, std::uint64_t record, ExportResult& result) {
    if (!formatsLines())
        return;
    m_line.clear();
    formatRecord(table, record, m_line, result);
    writeLine(m_line, record);
}

void DataScriptTarget::endTable(TTable& /*table*/, ExportResult& result) {
    if (!formatsLines()) {
        m_sink.appendLine(m_profile.noFieldsLine);
    } else if (m_profile.commitEvery != 0 && result.records % m_profile.commitEvery != 0) {
        m_sink.appendLine(m_profile.commitLine);
    }
    m_sink.appendLine({});
}

ExportResult writeDataExport(TTable& table, const std::string& path,
                             const RegionalSettings& settings, LineSink& sink,
                             const ExportProgress& progress, const DataExportProfile& profile,
                             unsigned threads) {
    table.Close();
    table.setTableName(path);
    table.Open();
    DataScriptTarget target(sink, profile, settings, path);
    ExportResult result;
    try {
        result = exportRecords(table, target, progress, threads);
    } catch (const EAbort&) {
        // stopped by the user: nothing is wrong with the table, so it is not left open
        table.Close();
        throw;
    }
    table.Close();
    return result;
}

} // namespace vorendal
