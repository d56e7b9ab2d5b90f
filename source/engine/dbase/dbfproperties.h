#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/engine/dbase/dbfheader.h"

namespace vorendal::engine::dbf {

// Kinds of a dBASE 7 standard property (entry byte 4).
enum Dbase7PropertyKind : std::uint8_t {
    kPropertyRequired = 1,
    kPropertyMinimum = 2,
    kPropertyMaximum = 3,
    kPropertyDefault = 4,
    kPropertyConstraint = 6 // a table-level constraint: its data is an expression text
};

// One standard property of a dBASE 7 field-properties block.
struct Dbase7Property {
    std::size_t field = 0; // field number from 1; 0 for a table constraint
    std::uint8_t kind = 0; // a Dbase7PropertyKind, or a kind this reader does not know
    std::uint16_t generation = 0;
    std::string_view data;    // its data bytes (a view into the header); empty when it has none
    bool dataOutside = false; // the entry points at data beyond the block
};

// What a dBASE 7 field-properties block holds.
struct Dbase7Properties {
    // The current standard properties: of several entries for one field and kind, the one of the
    // highest generation.
    std::vector<Dbase7Property> standard;
    std::size_t integrityRules = 0; // referential-integrity entries (not decoded)
    std::string problem;            // set when the block does not add up; nothing is read then
};

// Reads the field-properties block that may follow the descriptor terminator of a dBASE 7 table
// (header holds the whole table header; start is the offset right after the 0x0D). No block
// (the header ends there) gives nothing; every count, offset and length is checked against the
// header.
Dbase7Properties readDbase7Properties(std::string_view header, std::size_t start);

// Marks as required every field that has a "required" property and no "default" property. A
// block that does not fit the header is ignored: the fields then stay not required.
void applyDbase7Properties(std::string_view header, std::size_t start,
                           std::vector<DbfField>& fields);

} // namespace vorendal::engine::dbf
