#pragma once

#include <cstdint>
#include <string_view>

#include "source/engine/dbase/dbftextconverter.h"
#include "source/engine/value.h"

// Decoders from the bytes of one field to a Value. Each takes exactly the field's bytes.
namespace vorendal::engine::dbf {

// C / V: text up to its first zero byte, without trailing blanks, converted to 1252; Null when
// nothing is left. converter null: the bytes are kept as stored (VFP binary fields).
void decodeText(std::string_view raw, const DbfTextConverter* converter, Value& out);
// The same, returning whether more text follows the zero byte the text stops at (the value's cut
// flag), found in the same search for the zero.
bool decodeTextTellingCut(std::string_view raw, const DbfTextConverter* converter, Value& out);

// N / F: ASCII number, right- or left-aligned, optional sign, '.' or ',' as decimal point, an
// exponent in F fields. Blank or unreadable ('*****' overflow marks) gives Null. integer: Integer
// when the text is a whole number (else Float, so nothing is lost); otherwise Float.
void decodeNumber(std::string_view raw, bool integer, Value& out);

// D: "YYYYMMDD"; blank, zero or impossible dates give Null.
void decodeDate(std::string_view raw, Value& out);

// L: T t Y y true, F f N n false, anything else ('?', blank) Null.
void decodeLogical(std::string_view raw, Value& out);

// I (FoxPro): int32 little-endian.
void decodeInt32LE(std::string_view raw, Value& out);
// dBASE 7 I and +: int32 big-endian with the sign bit flipped; all zero bytes give Null.
void decodeInt32Sortable(std::string_view raw, Value& out);
// Y: int64 little-endian / 10,000, as the nearest Float.
void decodeCurrency(std::string_view raw, Value& out);
// VFP B: IEEE double little-endian.
void decodeDoubleLE(std::string_view raw, Value& out);
// dBASE 7 O: IEEE double big-endian in sortable form (positive: sign bit set; negative: every bit
// inverted); all zero bytes give Null.
void decodeDoubleSortable(std::string_view raw, Value& out);
// T: int32 LE julian day number, int32 LE milliseconds since midnight; day 0 gives Null.
void decodeVfpDateTime(std::string_view raw, Value& out);
// dBASE 7 @: milliseconds since 0001-01-01 minus one day as a big-endian double, in the sortable
// form or (as some writers store it) plain; failing both, two LE int32 (julian day, milliseconds).
// All zero bytes, or a value that is no date of years 1 to 9999, give Null.
void decodeTimestamp7(std::string_view raw, Value& out);

// A memo field's block pointer: 4 bytes little-endian (Visual FoxPro), else ASCII digits padded
// with blanks or zeros.
enum class MemoPointer : std::uint8_t { Empty, Block, Damaged };
MemoPointer parseMemoPointer(std::string_view raw, std::uint32_t& block);

} // namespace vorendal::engine::dbf
