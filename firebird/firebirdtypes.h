#pragma once

#include <cstdint>
#include <string>

#include "source/fieldtype.h"

namespace vorendal::firebird {

// The column types every Firebird output writes (Firebird 3 and later, dialect 3): the firebird
// scripts of tables, the designer's firebird scripts and the loader all take their types, their
// limits and their value ranges from here.
enum class ColumnKind : std::uint8_t {
    Varchar,    // VARCHAR(length) CHARACTER SET UTF8
    Char,       // CHAR(length) CHARACTER SET UTF8
    TextBlob,   // BLOB SUB_TYPE TEXT CHARACTER SET UTF8
    BinaryBlob, // BLOB SUB_TYPE BINARY
    Boolean,
    Smallint,
    Integer,
    Bigint,
    Numeric, // NUMERIC(precision,scale): a 64-bit integer of units 10^-scale
    Double,  // DOUBLE PRECISION
    Date,
    Time,
    Timestamp
};

struct ColumnType {
    ColumnKind kind = ColumnKind::Varchar;
    int length = 1;     // Varchar, Char: characters
    int precision = 18; // Numeric
    int scale = 0;      // Numeric: decimals

    friend bool operator==(const ColumnType&, const ColumnType&) = default;
};

// A UTF-8 string holds at most 32,765 bytes, four bytes a character.
inline constexpr int kMaxStringCharacters = 8191;
// NUMERIC keeps at most 18 digits.
inline constexpr int kMaxNumericPrecision = 18;

// Appends the type as SQL: "VARCHAR(30) CHARACTER SET UTF8", "NUMERIC(18,4)", ...
void appendColumnType(std::string& out, const ColumnType& type);

// The column that keeps the values of a table field of this type and size (a string's
// characters, a BCD field's decimals) whole: text beyond a string's limit becomes a text blob,
// BCD beyond NUMERIC's digits a double, every type without a column of its own a binary blob.
ColumnType columnTypeOf(TFieldType type, int size);

// Whether a blank value (read as null) of a column is written as the empty text instead of NULL:
// where the column holds text and takes no NULL (a key or required field), NULL would make
// Firebird refuse the whole row. Every Firebird output of table data takes this rule.
bool blankIsEmptyText(const ColumnType& type, bool notNull);

// ---- value ranges ---------------------------------------------------------------------------
// A value outside these is one Firebird cannot hold: the outputs write NULL and say so.

// Whether an integer fits the integer column kind (Smallint, Integer or Bigint).
bool integerFits(ColumnKind kind, std::int64_t value);

// Days (1 = 0001-01-01) within the years 1 to 9999; milliseconds within one day.
bool dateFits(std::int32_t dayNumber);
bool timeFits(std::int32_t millis);

// The double rounded to scale decimals, exactly (from its exact binary value, not through a
// scaled double that loses the last digits of large amounts), as an integer of units 10^-scale.
// False for infinities, NaN and values beyond kMaxNumericPrecision digits.
bool scaledFromDouble(double value, int scale, std::int64_t& scaled);

} // namespace vorendal::firebird
