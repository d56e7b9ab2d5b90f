#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/fieldtype.h"

namespace vorendal::engine::dbf {

// Header layout families, chosen from the version byte (offset 0).
enum class DbfDialect : std::uint8_t {
    DBase2,      // 0x02: 8-byte header, 16-byte descriptors, records at 521
    DBase3,      // dBASE III/IV/5, Clipper, FoxBASE+: 32-byte header and descriptors
    DBase7,      // level 7 (low three bits 4): driver name and 48-byte descriptors
    FoxPro,      // FoxPro 2.x / FoxBASE (0xF5, 0xFB): 32-byte layout, .fpt memo
    VisualFoxPro // 0x30-0x32: VFP field flags, _NullFlags, 263-byte database backlink
};

// How a column's bytes become a Value.
enum class DbfDecode : std::uint8_t {
    Nothing,        // ftUnknown: always Null
    Text,           // C / V: code-page text
    RawText,        // VFP binary C / V: text kept as stored
    Integer,        // N / F without decimals, up to 18 digits
    Number,         // N / F with decimals or wider than 18
    Date,           // D: YYYYMMDD
    Logical,        // L
    MemoText,       // M: pointer to code-page text in the memo file
    MemoBytes,      // G, P, W, dBASE B, binary M: pointer to bytes in the memo file
    Int32LE,        // I (FoxPro and other writers)
    Int32Sortable,  // dBASE 7 I and +: big-endian, sign bit flipped
    Currency,       // Y: int64 LE scaled by 10,000
    DoubleLE,       // VFP B
    DoubleSortable, // dBASE 7 O
    DateTimeVfp,    // T: julian day + milliseconds, LE
    Timestamp7,     // dBASE 7 @
    VarBytes        // Q: raw bytes
};

// One field descriptor with the decisions taken for it.
struct DbfField {
    std::string name;         // Windows-1252, as the table spells it
    std::string rawName;      // the same in the table's code page, before conversion
    char letter = 0;          // type letter as stored
    std::uint32_t offset = 0; // from the record start (byte 0 is the deletion flag)
    std::uint32_t width = 0;
    std::uint8_t decimals = 0;
    std::uint8_t vfpFlags = 0; // VFP only: 0x01 system, 0x02 nullable, 0x04 binary, 0x08 autoinc
    TFieldType type = ftUnknown;
    int size = 0;
    bool required = false;
    bool hidden = false; // _NullFlags: not reported
    DbfDecode decode = DbfDecode::Nothing;
    int nullBit = -1;      // bit in _NullFlags that marks the value null; -1 none
    int varLengthBit = -1; // bit in _NullFlags that says the last byte holds the length
};

// The table header, checked against the file.
struct DbfHeader {
    std::uint8_t version = 0;
    DbfDialect dialect = DbfDialect::DBase3;
    std::uint32_t headerLength = 0;  // file offset of record 0
    std::uint32_t recordLength = 0;  // including the deletion flag
    std::uint64_t recordCount = 0;   // records wholly present in the file
    std::uint64_t declaredCount = 0; // records the header counts (more when the file is cut)
    std::uint8_t tableFlags = 0;     // byte 28: 0x01 production index
    int codePage = 0; // the page the header names; 0 when it names none (names read as 437)
    std::vector<DbfField> fields; // every descriptor, hidden ones included
    int nullFlagsField = -1;      // index of _NullFlags in fields, -1 none
    bool hasMemoFields = false;
};

// Reads and checks the header of a dBASE / FoxPro table. Throws EDBEngineError (errNotTable,
// errVersion, errCorrupt) naming file.name() when the header is too short, of an unknown version
// or does not add up.
DbfHeader readDbfHeader(const ByteSource& file);

// True for the version bytes of FoxPro and Visual FoxPro, whose memo file is .fpt.
bool isFoxProDialect(DbfDialect dialect);

} // namespace vorendal::engine::dbf
