#include "scripts/ruleliterals.h"

#include <charconv>
#include <cmath>

#include "firebird/firebirdliterals.h"

namespace vorendal {
namespace {

using engine::Value;
using firebird::ColumnKind;
using K = Value::Kind;

int sign(double d) {
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

bool isNumber(K kind) {
    return kind == K::Integer || kind == K::Float;
}

double numberOf(const Value& v) {
    return v.kind == K::Integer ? static_cast<double>(v.integer) : v.number;
}

std::string_view withoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Days and milliseconds of a date, time or timestamp; a date starts at midnight.
std::pair<std::int64_t, std::int64_t> momentOf(const Value& v) {
    return {v.kind == K::Time ? 0 : v.days, v.kind == K::Date ? 0 : v.millis};
}

bool isMoment(K kind) {
    return kind == K::Date || kind == K::Time || kind == K::DateTime;
}

void appendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

bool appendNumber(std::string& out, const Value& v, const firebird::ColumnType& column) {
    switch (column.kind) {
    case ColumnKind::Smallint:
    case ColumnKind::Integer:
    case ColumnKind::Bigint: {
        if (v.kind == K::Float && (std::trunc(v.number) != v.number || std::fabs(v.number) > 9e18))
            return false;
        const std::int64_t n =
            v.kind == K::Integer ? v.integer : static_cast<std::int64_t>(v.number);
        if (!firebird::integerFits(column.kind, n))
            return false;
        appendInteger(out, n);
        return true;
    }
    case ColumnKind::Numeric: {
        std::int64_t scaled = 0;
        if (!firebird::scaledFromDouble(numberOf(v), column.scale, scaled))
            return false;
        firebird::appendScaledLiteral(out, scaled, column.scale);
        return true;
    }
    case ColumnKind::Double:
        return firebird::appendDoubleLiteral(out, numberOf(v));
    default:
        return false;
    }
}

bool appendMoment(std::string& out, const Value& v, ColumnKind column) {
    switch (column) {
    case ColumnKind::Date:
        return v.kind != K::Time && firebird::appendDateLiteral(out, v.days);
    case ColumnKind::Time:
        return v.kind != K::Date && firebird::appendTimeLiteral(out, v.millis);
    case ColumnKind::Timestamp:
        return v.kind != K::Time &&
               firebird::appendTimestampLiteral(out, v.days, v.kind == K::Date ? 0 : v.millis);
    default:
        return false;
    }
}

bool isText(ColumnKind kind) {
    return kind == ColumnKind::Varchar || kind == ColumnKind::Char || kind == ColumnKind::TextBlob;
}

} // namespace

std::optional<int> compareValues(const Value& a, const Value& b) {
    if (isNumber(a.kind) && isNumber(b.kind)) {
        if (a.kind == K::Integer && b.kind == K::Integer)
            return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
        return sign(numberOf(a) - numberOf(b));
    }
    if (a.kind == K::Text && b.kind == K::Text) {
        const int c = withoutTrailingBlanks(a.text).compare(withoutTrailingBlanks(b.text));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (isMoment(a.kind) && isMoment(b.kind)) {
        const auto x = momentOf(a);
        const auto y = momentOf(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.kind == K::Boolean && b.kind == K::Boolean)
        return static_cast<int>(a.boolean) - static_cast<int>(b.boolean);
    return std::nullopt;
}

bool holdsValue(const firebird::ColumnType& column, const Value& value) {
    if (value.kind == K::Null || value.kind == K::Text || value.kind == K::Bytes)
        return true;
    std::string literal;
    return appendRuleOperand(literal, {RuleValue::Kind::Constant, value}, column);
}

bool appendRuleOperand(std::string& out, const RuleValue& value,
                       const firebird::ColumnType& column) {
    if (value.kind != RuleValue::Kind::Constant) {
        switch (column.kind) {
        case ColumnKind::Date:
            out += "CURRENT_DATE";
            return true;
        case ColumnKind::Time:
            out += "CURRENT_TIME";
            return true;
        case ColumnKind::Timestamp:
            out += "CURRENT_TIMESTAMP";
            return true;
        default:
            return false;
        }
    }
    const Value& v = value.value;
    std::string literal;
    bool written = false;
    if (isNumber(v.kind)) {
        written = appendNumber(literal, v, column);
    } else if (isMoment(v.kind)) {
        written = appendMoment(literal, v, column.kind);
    } else if (v.kind == K::Boolean && column.kind == ColumnKind::Boolean) {
        literal += v.boolean ? "TRUE" : "FALSE";
        written = true;
    } else if (v.kind == K::Text && isText(column.kind) &&
               v.text.find_first_of(std::string_view("\r\0", 2)) == std::string::npos) {
        firebird::appendTextLiteral(literal, v.text);
        written = true;
    }
    if (written)
        out += literal;
    return written;
}

} // namespace vorendal
