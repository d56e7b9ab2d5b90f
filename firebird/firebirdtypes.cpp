#include "firebird/firebirdtypes.h"

#include <charconv>
#include <cmath>

#include "source/engine/value.h"

namespace vorendal::firebird {
namespace {

constexpr std::int32_t kMillisPerDay = 24 * 60 * 60 * 1000;

ColumnType kindOnly(ColumnKind kind) {
    ColumnType type;
    type.kind = kind;
    return type;
}

ColumnType text(int characters) {
    if (characters > kMaxStringCharacters)
        return kindOnly(ColumnKind::TextBlob);
    ColumnType type;
    type.kind = ColumnKind::Varchar;
    type.length = characters > 0 ? characters : 1;
    return type;
}

ColumnType numeric(int scale) {
    ColumnType type;
    type.kind = ColumnKind::Numeric;
    type.precision = kMaxNumericPrecision;
    type.scale = scale;
    return type;
}

void appendNumber(std::string& out, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

} // namespace

void appendColumnType(std::string& out, const ColumnType& type) {
    switch (type.kind) {
    case ColumnKind::Varchar:
    case ColumnKind::Char:
        out += type.kind == ColumnKind::Varchar ? "VARCHAR(" : "CHAR(";
        appendNumber(out, type.length);
        out += ") CHARACTER SET UTF8";
        return;
    case ColumnKind::TextBlob:
        out += "BLOB SUB_TYPE TEXT CHARACTER SET UTF8";
        return;
    case ColumnKind::BinaryBlob:
        out += "BLOB SUB_TYPE BINARY";
        return;
    case ColumnKind::Boolean:
        out += "BOOLEAN";
        return;
    case ColumnKind::Smallint:
        out += "SMALLINT";
        return;
    case ColumnKind::Integer:
        out += "INTEGER";
        return;
    case ColumnKind::Bigint:
        out += "BIGINT";
        return;
    case ColumnKind::Numeric:
        out += "NUMERIC(";
        appendNumber(out, type.precision);
        out += ',';
        appendNumber(out, type.scale);
        out += ')';
        return;
    case ColumnKind::Double:
        out += "DOUBLE PRECISION";
        return;
    case ColumnKind::Date:
        out += "DATE";
        return;
    case ColumnKind::Time:
        out += "TIME";
        return;
    case ColumnKind::Timestamp:
        out += "TIMESTAMP";
        return;
    }
}

ColumnType columnTypeOf(TFieldType type, int size) {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return text(size);
    case ftMemo:
        return kindOnly(ColumnKind::TextBlob);
    case ftBoolean:
        return kindOnly(ColumnKind::Boolean);
    case ftFloat:
        return kindOnly(ColumnKind::Double);
    case ftCurrency:
        return numeric(4);
    case ftBCD:
    case ftFMTBcd:
        return size >= 0 && size <= kMaxNumericPrecision ? numeric(size)
                                                         : kindOnly(ColumnKind::Double);
    case ftSmallint:
        return kindOnly(ColumnKind::Smallint);
    case ftInteger:
    case ftWord: // 0 to 65,535: more than SMALLINT holds
        return kindOnly(ColumnKind::Integer);
    case ftLargeint:
    case ftAutoInc:
        return kindOnly(ColumnKind::Bigint);
    case ftDate:
        return kindOnly(ColumnKind::Date);
    case ftTime:
        return kindOnly(ColumnKind::Time);
    case ftDateTime:
    case ftTimeStamp:
        return kindOnly(ColumnKind::Timestamp);
    case ftUnknown:
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftOraBlob:
    case ftOraClob:
    case ftVariant:
    case ftInterface:
    case ftIDispatch:
    case ftGuid:
        return kindOnly(ColumnKind::BinaryBlob);
    }
    return kindOnly(ColumnKind::BinaryBlob);
}

bool blankIsEmptyText(const ColumnType& type, bool notNull) {
    switch (type.kind) {
    case ColumnKind::Varchar:
    case ColumnKind::Char:
    case ColumnKind::TextBlob:
        return notNull;
    case ColumnKind::BinaryBlob:
    case ColumnKind::Boolean:
    case ColumnKind::Smallint:
    case ColumnKind::Integer:
    case ColumnKind::Bigint:
    case ColumnKind::Numeric:
    case ColumnKind::Double:
    case ColumnKind::Date:
    case ColumnKind::Time:
    case ColumnKind::Timestamp:
        return false;
    }
    return false;
}

bool integerFits(ColumnKind kind, std::int64_t value) {
    switch (kind) {
    case ColumnKind::Smallint:
        return value >= INT16_MIN && value <= INT16_MAX;
    case ColumnKind::Integer:
        return value >= INT32_MIN && value <= INT32_MAX;
    default:
        return true;
    }
}

bool dateFits(std::int32_t dayNumber) {
    int year = 0;
    int month = 0;
    int day = 0;
    engine::civilFromDayNumber(dayNumber, year, month, day);
    return year >= 1 && year <= 9999;
}

bool timeFits(std::int32_t millis) {
    return millis >= 0 && millis < kMillisPerDay;
}

bool scaledFromDouble(double value, int scale, std::int64_t& scaled) {
    if (!std::isfinite(value) || scale < 0 || scale > kMaxNumericPrecision)
        return false;
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, scale);
    if (error != std::errc())
        return false;
    std::uint64_t magnitude = 0;
    int digits = 0;
    bool negative = false;
    for (const char* p = buffer; p != end; ++p) {
        if (*p == '-') {
            negative = true;
            continue;
        }
        if (*p < '0' || *p > '9')
            continue;
        if (digits == 0 && *p == '0')
            continue;
        // NUMERIC(18,s) is a 64-bit integer of units 10^-s: 18 digits always fit
        if (++digits > kMaxNumericPrecision)
            return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    scaled =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

} // namespace vorendal::firebird
