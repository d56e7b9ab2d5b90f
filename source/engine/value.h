#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorendal::engine {

// One field value of the current record, as a reader yields it. Readers fill a Value that the
// caller reuses from record to record, so the text buffer keeps its capacity.
struct Value {
    enum class Kind : std::uint8_t {
        Null,     // blank: no value stored
        Text,     // text: Windows-1252 bytes (alpha, character, memo fields)
        Integer,  // integer: signed 64-bit (short, long, autoincrement, large integers)
        Float,    // number: double (number, money, float, BCD)
        Boolean,  // boolean
        Date,     // days: day number, 1 = 0001-01-01 (proleptic Gregorian)
        Time,     // millis: milliseconds since midnight
        DateTime, // days and millis together
        Bytes     // text holds the raw bytes (binary, graphic, OLE, bytes fields)
    };

    Kind kind = Kind::Null;
    std::string text;
    std::int64_t integer = 0;
    double number = 0.0;
    bool boolean = false;
    std::int32_t days = 0;
    std::int32_t millis = 0;
    // For a Float read from at most kExactDecimalDigits significant decimal digits (dBASE N and
    // F fields): the value is integer / 10^decimals, the sign that of number, and number is that
    // decimal's nearest double. Writers may take the digits instead of the double. -1 otherwise.
    std::int8_t decimals = -1;
    static constexpr int kExactDecimalDigits = 15;

    void setNull() { kind = Kind::Null; }
    void setInteger(std::int64_t v) {
        kind = Kind::Integer;
        integer = v;
    }
    void setFloat(double v) {
        kind = Kind::Float;
        number = v;
        decimals = -1;
    }
    // A Float that is exactly magnitude / 10^scale with that sign (magnitude below 10^15, scale
    // at most 22); v its nearest double.
    void setDecimal(double v, std::uint64_t magnitude, int scale) {
        kind = Kind::Float;
        number = v;
        integer = static_cast<std::int64_t>(magnitude);
        decimals = static_cast<std::int8_t>(scale);
    }
    void setBoolean(bool v) {
        kind = Kind::Boolean;
        boolean = v;
    }
    void setDate(std::int32_t dayNumber) {
        kind = Kind::Date;
        days = dayNumber;
        millis = 0;
    }
    void setTime(std::int32_t ms) {
        kind = Kind::Time;
        days = 0;
        millis = ms;
    }
    void setDateTime(std::int32_t dayNumber, std::int32_t ms) {
        kind = Kind::DateTime;
        days = dayNumber;
        millis = ms;
    }
    // Leaves text empty and ready to be appended to.
    std::string& startText() {
        kind = Kind::Text;
        text.clear();
        return text;
    }
    std::string& startBytes() {
        kind = Kind::Bytes;
        text.clear();
        return text;
    }
    // startText() for a long text converted from sourceBytes bytes: the room for the most a
    // conversion can give (three UTF-8 bytes a byte) is reserved first, since a string that grows
    // holds its old and its new buffer at once while it copies; room never written costs no
    // memory.
    std::string& startLongText(std::size_t sourceBytes) {
        constexpr std::size_t kLong = std::size_t{1} << 20;
        std::string& out = startText();
        if (sourceBytes > kLong)
            out.reserve(3 * sourceBytes);
        return out;
    }
    bool isNull() const { return kind == Kind::Null; }
};

// True when bytes hold a zero byte followed by anything but more zero bytes and blanks: text that
// a value ending at its first zero byte leaves out (padding after the zero loses nothing).
bool textFollowsZero(std::string_view bytes);

// Day number (1 = 0001-01-01) of a civil date, and back. Months 1-12.
std::int32_t dayNumberFromCivil(int year, int month, int day);
void civilFromDayNumber(std::int32_t dayNumber, int& year, int& month, int& day);

// "YYYY-MM-DD" of a day number; "HH:MM:SS" (or "HH:MM:SS.mmm") of milliseconds since midnight.
std::string isoDateText(std::int32_t dayNumber);
std::string isoTimeText(std::int32_t millis, bool withMillis);

// The shortest decimal text that reads back as the same double ("0.1", "-1e+21").
std::string shortestDoubleText(double v);
// shortestDoubleText of the double nearest to magnitude / 10^scale (negative: with a minus sign),
// appended to out, from the digits: magnitude below 10^15 (such a decimal has a double of its
// own, so its shortest text is its own digits), scale from 0 to 22.
void appendShortestDecimal(std::string& out, bool negative, std::uint64_t magnitude, int scale);

} // namespace vorendal::engine
