#include "loader/rowmessage.h"

#include <cmath>
#include <cstring>

#include <ibase.h>

#include "firebird/firebirdtypes.h"

namespace vorendal::loader {
namespace {

constexpr unsigned kUtf8 = 4; // Firebird's number of the UTF8 character set

template <typename T> void store(unsigned char* message, const Slot& slot, T value) {
    std::memcpy(message + slot.offset, &value, sizeof value);
}

// The text up to its first zero byte, as every output takes a text.
std::string_view textOf(const std::string& text) {
    const std::size_t zero = text.find('\0');
    return zero == std::string::npos ? std::string_view(text)
                                     : std::string_view(text).substr(0, zero);
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

Encoded storeText(std::string_view text, const Slot& slot, unsigned char* message) {
    if (slot.type == SQL_BLOB)
        return Encoded::Blob;
    if (slot.type != SQL_VARYING && slot.type != SQL_TEXT)
        return Encoded::Unholdable;
    if (text.size() > slot.length ||
        (text.size() > slot.characters && characterCount(text) > slot.characters))
        return Encoded::Unholdable;
    if (slot.type == SQL_VARYING) {
        const auto length = static_cast<ISC_USHORT>(text.size());
        std::memcpy(message + slot.offset, &length, sizeof length);
        if (!text.empty())
            std::memcpy(message + slot.offset + sizeof length, text.data(), text.size());
    } else {
        std::memset(message + slot.offset, ' ', slot.length);
        if (!text.empty())
            std::memcpy(message + slot.offset, text.data(), text.size());
    }
    return Encoded::Value;
}

std::int64_t powerOfTen(int exponent) {
    std::int64_t power = 1;
    for (int i = 0; i < exponent; ++i)
        power *= 10;
    return power;
}

Encoded storeInteger(std::int64_t value, const Slot& slot, unsigned char* message) {
    switch (slot.type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const int decimals = -slot.scale;
        if (decimals < 0 || decimals > firebird::kMaxNumericPrecision)
            return Encoded::Unholdable;
        const std::int64_t power = powerOfTen(decimals);
        std::int64_t scaled = 0;
        if (__builtin_mul_overflow(value, power, &scaled))
            return Encoded::Unholdable;
        const firebird::ColumnKind kind = slot.type == SQL_SHORT  ? firebird::ColumnKind::Smallint
                                          : slot.type == SQL_LONG ? firebird::ColumnKind::Integer
                                                                  : firebird::ColumnKind::Bigint;
        if (!firebird::integerFits(kind, scaled))
            return Encoded::Unholdable;
        if (slot.type == SQL_SHORT)
            store(message, slot, static_cast<ISC_SHORT>(scaled));
        else if (slot.type == SQL_LONG)
            store(message, slot, static_cast<ISC_LONG>(scaled));
        else
            store(message, slot, static_cast<ISC_INT64>(scaled));
        return Encoded::Value;
    }
    case SQL_DOUBLE:
        store(message, slot, static_cast<double>(value));
        return Encoded::Value;
    default:
        return Encoded::Unholdable;
    }
}

Encoded storeFloat(double value, const Slot& slot, unsigned char* message) {
    if (!std::isfinite(value))
        return Encoded::Unholdable;
    switch (slot.type) {
    case SQL_DOUBLE:
        store(message, slot, value);
        return Encoded::Value;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        std::int64_t scaled = 0;
        if (!firebird::scaledFromDouble(value, -slot.scale, scaled))
            return Encoded::Unholdable;
        // the scaled integer, already in units of the column
        Slot units = slot;
        units.scale = 0;
        return storeInteger(scaled, units, message);
    }
    default:
        return Encoded::Unholdable;
    }
}

bool encodeDate(std::int32_t dayNumber, Firebird::IUtil* util, ISC_DATE& date) {
    if (!firebird::dateFits(dayNumber))
        return false;
    int year = 0;
    int month = 0;
    int day = 0;
    engine::civilFromDayNumber(dayNumber, year, month, day);
    date = util->encodeDate(static_cast<unsigned>(year), static_cast<unsigned>(month),
                            static_cast<unsigned>(day));
    return true;
}

bool encodeTime(std::int32_t millis, Firebird::IUtil* util, ISC_TIME& time) {
    if (!firebird::timeFits(millis))
        return false;
    const auto ms = static_cast<unsigned>(millis);
    // Firebird keeps times in ten-thousandths of a second
    time = util->encodeTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000 * 10);
    return true;
}

Encoded storeDateTime(const engine::Value& value, const Slot& slot, unsigned char* message,
                      Firebird::IUtil* util) {
    using K = engine::Value::Kind;
    ISC_DATE date = 0;
    ISC_TIME time = 0;
    const bool hasDate = value.kind != K::Time;
    const bool hasTime = value.kind != K::Date;
    if ((hasDate && !encodeDate(value.days, util, date)) ||
        (hasTime && !encodeTime(value.millis, util, time)))
        return Encoded::Unholdable;
    switch (slot.type) {
    case SQL_TYPE_DATE:
        if (!hasDate)
            return Encoded::Unholdable;
        store(message, slot, date);
        return Encoded::Value;
    case SQL_TYPE_TIME:
        if (!hasTime)
            return Encoded::Unholdable;
        store(message, slot, time);
        return Encoded::Value;
    case SQL_TIMESTAMP:
        if (!hasDate)
            return Encoded::Unholdable;
        store(message, slot, ISC_TIMESTAMP{date, time});
        return Encoded::Value;
    default:
        return Encoded::Unholdable;
    }
}

} // namespace

std::vector<Slot> slotsOf(Firebird::IMessageMetadata* metadata,
                          Firebird::ThrowStatusWrapper& status) {
    std::vector<Slot> slots(metadata->getCount(&status));
    for (unsigned i = 0; i < slots.size(); ++i) {
        Slot& slot = slots[i];
        slot.type = metadata->getType(&status, i) & ~1u;
        slot.length = metadata->getLength(&status, i);
        slot.scale = metadata->getScale(&status, i);
        slot.offset = metadata->getOffset(&status, i);
        slot.nullOffset = metadata->getNullOffset(&status, i);
        const unsigned charset = metadata->getCharSet(&status, i);
        slot.characters = charset == kUtf8 ? slot.length / 4 : slot.length;
        slot.textBlob = slot.type == SQL_BLOB && metadata->getSubType(&status, i) == 1;
    }
    return slots;
}

void setNull(unsigned char* message, const Slot& slot, bool null) {
    const ISC_SHORT flag = null ? -1 : 0;
    std::memcpy(message + slot.nullOffset, &flag, sizeof flag);
}

bool isNull(const unsigned char* message, const Slot& slot) {
    ISC_SHORT flag = 0;
    std::memcpy(&flag, message + slot.nullOffset, sizeof flag);
    return flag != 0;
}

Encoded encodeValue(const engine::Value& value, const Slot& slot, bool blankIsEmptyText,
                    unsigned char* message, std::string_view& blob, Firebird::IUtil* util) {
    using K = engine::Value::Kind;
    Encoded encoded = Encoded::Unholdable;
    switch (value.kind) {
    case K::Null:
        if (blankIsEmptyText) {
            blob = {};
            encoded = storeText({}, slot, message);
        } else {
            encoded = Encoded::Null;
        }
        break;
    case K::Text:
        // a binary column keeps every byte; text ends at its first zero byte
        blob = slot.type == SQL_BLOB && !slot.textBlob ? std::string_view(value.text)
                                                       : textOf(value.text);
        encoded = storeText(blob, slot, message);
        break;
    case K::Bytes:
        blob = value.text;
        encoded = slot.type == SQL_BLOB ? Encoded::Blob : storeText(blob, slot, message);
        break;
    case K::Integer:
        encoded = storeInteger(value.integer, slot, message);
        break;
    case K::Float:
        encoded = storeFloat(value.number, slot, message);
        break;
    case K::Boolean:
        if (slot.type == SQL_BOOLEAN) {
            store(message, slot, static_cast<FB_BOOLEAN>(value.boolean ? FB_TRUE : FB_FALSE));
            encoded = Encoded::Value;
        }
        break;
    case K::Date:
    case K::Time:
    case K::DateTime:
        encoded = storeDateTime(value, slot, message, util);
        break;
    }
    setNull(message, slot, encoded == Encoded::Null || encoded == Encoded::Unholdable);
    return encoded;
}

} // namespace vorendal::loader
