#pragma once

#include <cstdint>

#include "source/engine/codepage.h"
#include "source/engine/value.h"
#include "source/fieldtype.h"

// Decoding of the values stored inside a record. Numbers are written most significant byte first
// with the sign bit inverted, so that an all-zero field means blank (Null) and bytes sort in
// value order; negative floating-point numbers are stored with every bit inverted.
namespace vorendal::engine::paradox {

// Decodes a big-endian integer field of 1, 2 or 4 bytes; false when the field is blank.
bool decodeInteger(const unsigned char* p, std::size_t width, std::int64_t& value);

// Decodes an 8-byte floating-point field; false when the field is blank.
bool decodeDouble(const unsigned char* p, double& value);

// Decodes a 17-byte BCD field (byte 0: sign, "non-blank" bit and scale; 32 digits follow) into
// the nearest double, so digits beyond about 15 significant places are lost. Nibbles above 9
// (written by some programs past the 18th digit) count as 0. False when blank or invalid.
bool decodeBcd(const unsigned char* p, double& value, bool& valid);

// Decodes the non-blob field p[0..width) of the given column type into out (Null when blank).
// Text is converted from codePage to Windows-1252 and cut at the first zero byte. Returns false
// when the stored value cannot be represented (a timestamp out of range, a time outside the day,
// a BCD scale above 32).
bool decodeFixedValue(TFieldType type, const unsigned char* p, std::size_t width,
                      const CodePage& codePage, Value& out);

// Decodes an alpha field as decodeFixedValue does, telling whether bytes other than zeros and
// blanks follow the zero that ends the text: the value was cut there.
bool decodeAlphaTellingCut(const unsigned char* p, std::size_t width, const CodePage& codePage,
                           Value& out);

} // namespace vorendal::engine::paradox
