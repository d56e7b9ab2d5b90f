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
    static const DataExportProfile profile{{},
                                           classicValueOf,
                                           classicAppendValue,
                                           tableNameFromPath,
                                           classicCallStart,
                                           ");",
                                           0,
                                           {},
                                           {},
                                           nullptr,
                                           {},
                                           0,
                                           nullptr,
                                           {},
                                           {},
                                           {}};
    return profile;
}

DataScriptTarget::DataScriptTarget(LineSink& sink, const DataExportProfile& profile,
                                   const RegionalSettings& settings, std::string_view path)
    : m_sink(sink), m_profile(profile), m_settings(settings), m_path(path) {
    m_profile.callStart(m_callStart, m_profile.tableName(path));
}

void DataScriptTarget::beginTable(TTable& table) {
    for (const std::string_view header : m_profile.headerLines)
        m_sink.appendLine(header);
    // Field i is written as the type of field definition i says, even where a column without a
    // field has shifted the fields against the definitions.
    m_columns.clear();
    const std::vector<bool> blankIsEmpty = m_profile.blankIsEmptyText
                                               ? m_profile.blankIsEmptyText(table, m_path)
                                               : std::vector<bool>{};
    for (int i = 0; i < table.FieldCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        m_columns.push_back({&table.Fields(i), &table.FieldDefs()[i],
                             m_profile.valueOf(table.FieldDefs()[i].DataType),
                             at < blankIsEmpty.size() && blankIsEmpty[at]});
    }
}

namespace {

constexpr std::size_t kLongCall = std::size_t{1} << 20;
constexpr std::size_t kRoomPerColumn = 64;

// The bytes of the field's value that its literal holds at least: text up to its first zero byte
// (as the text getter gives it), every byte of a binary value, nothing for other kinds.
std::size_t leastLiteralBytes(ExportValue kind, const engine::Value& value) {
    if (value.kind == engine::Value::Kind::Bytes ||
        (value.kind == engine::Value::Kind::Text && kind == ExportValue::Binary))
        return value.text.size();
    if (value.kind != engine::Value::Kind::Text || value.text.empty())
        return 0;
    const void* zero = std::memchr(value.text.data(), '\0', value.text.size());
    return zero == nullptr
               ? value.text.size()
               : static_cast<std::size_t>(static_cast<const char*>(zero) - value.text.data());
}

} // namespace

std::size_t DataScriptTarget::leastCallBytes() const {
    // the stored bytes first, which cost no search: a short call needs nothing more exact
    std::size_t stored = m_callStart.size() + m_profile.callEnd.size();
    for (const Column& column : m_columns) {
        const engine::Value& value = column.field->value();
        if (value.kind == engine::Value::Kind::Text || value.kind == engine::Value::Kind::Bytes)
            stored += value.text.size();
    }
    if (stored <= kLongCall)
        return stored;
    std::size_t least = m_callStart.size() + m_profile.callEnd.size();
    for (const Column& column : m_columns)
        least += leastLiteralBytes(column.kind, column.field->value());
    return least;
}

// The values too long for the call go first into statements of their own, in pieces; the call
// then takes them back by number, so that no statement grows with the value.
void DataScriptTarget::writeHeldCall(std::uint64_t record, ExportResult* nulls) {
    if (!m_holding) {
        for (const std::string_view line : m_profile.holdingStart)
            m_sink.appendLine(line);
        m_holding = true;
    }
    m_line.assign(m_callStart);
    int slot = 0;
    for (const Column& column : m_columns) {
        ++slot;
        if (column.blankIsEmptyText && column.field->value().kind == engine::Value::Kind::Null)
            m_line += m_profile.emptyText;
        else if (!m_profile.holdValue(m_sink, m_line, column.kind, *column.field, slot) &&
                 !m_profile.appendValue(m_line, column.kind, *column.field, *column.def,
                                        m_settings)) {
            m_line += "NULL";
            if (nulls != nullptr)
                nulls->addNull(record, column.field->FieldName());
        }
        m_line += ',';
    }
    if (!m_columns.empty())
        m_line.pop_back();
    m_line += m_profile.callEnd;
    m_sink.appendLine(m_line);
    m_sink.appendLine(m_profile.heldCallEnd);
}

bool DataScriptTarget::formatsLines() const {
    return !m_columns.empty() || m_profile.noFieldsLine.empty();
}

// Reads the fields of table, not of the table the columns were made from: on several threads
// each has its own. Such tables have no memo or blob field, so no call of theirs is long enough
// to need its values held.
void DataScriptTarget::formatRecord(TTable& table, std::uint64_t record, std::string& line,
                                    ExportResult& result) const {
    line += m_callStart;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const int index = static_cast<int>(i);
        const TField& field = table.Fields(index);
        if (m_columns[i].blankIsEmptyText && field.value().kind == engine::Value::Kind::Null)
            line += m_profile.emptyText;
        else if (!m_profile.appendValue(line, m_columns[i].kind, field, table.FieldDefs()[index],
                                        m_settings)) {
            line += "NULL";
            result.addNull(record, field.FieldName());
        }
        line += ',';
    }
    if (!m_columns.empty())
        line.pop_back();
    line += m_profile.callEnd;
}

void DataScriptTarget::writeLine(std::string_view line, std::uint64_t record) {
    m_sink.appendLine(line);
    endRecord(record);
}

void DataScriptTarget::endRecord(std::uint64_t record) {
    if (m_profile.commitEvery != 0 && record % m_profile.commitEvery == 0)
        m_sink.appendLine(m_profile.commitLine);
}

void DataScriptTarget::writeRecord(TTable& table, std::uint64_t record, ExportResult& result) {
    if (!formatsLines())
        return;
    // A call that holds more than the limit even before its quotes is not built whole at all.
    const std::size_t least = leastCallBytes();
    const bool limited = m_profile.callLimit != 0;
    if (limited && least > m_profile.callLimit) {
        writeHeldCall(record, &result);
        endRecord(record);
        return;
    }
    m_line.clear();
    // Room for a long value's literal at its longest (doubled quotes, hexadecimal) before it is
    // written: a line that grows holds its old and its new buffer at once while it copies, and
    // room never written costs no memory.
    if (least > kLongCall)
        m_line.reserve(2 * least + kRoomPerColumn * m_columns.size());
    formatRecord(table, record, m_line, result);
    if (limited && m_line.size() > m_profile.callLimit) {
        writeHeldCall(record, nullptr);
        endRecord(record);
    } else {
        writeLine(m_line, record);
    }
}

void DataScriptTarget::endTable(TTable& /*table*/, ExportResult& result) {
    if (!formatsLines()) {
        m_sink.appendLine(m_profile.noFieldsLine);
    } else if (m_profile.commitEvery != 0 && result.records % m_profile.commitEvery != 0) {
        m_sink.appendLine(m_profile.commitLine);
    }
    if (m_holding) {
        for (const std::string_view line : m_profile.holdingEnd)
            m_sink.appendLine(line);
        m_holding = false;
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
