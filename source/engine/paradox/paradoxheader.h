#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "source/engine/bytesource.h"

namespace vorendal::engine::paradox {

// One entry of a header's field array.
struct HeaderField {
    std::string rawName;       // as stored, in the table's code page
    std::uint8_t code = 0;     // type byte
    std::uint8_t sizeByte = 0; // size byte (decimals for BCD)
    std::uint32_t offset = 0;  // first byte in the record
    std::uint32_t width = 0;   // bytes in the record
    std::uint16_t number = 0;  // entry of the field-number array (4.x+); 0 when absent
};

// The header of a Paradox table (.DB) or secondary-index data file (.Xnn / .XGn), checked against
// the file's size: every count and offset below has been verified to be usable.
struct ParadoxHeader {
    std::uint16_t recordSize = 0;      // 0x00
    std::uint16_t headerSize = 0;      // 0x02: offset of block 1
    std::uint8_t fileType = 0;         // 0x04
    std::uint32_t blockSize = 0;       // 0x05 x 1024
    std::uint32_t recordCount = 0;     // 0x06 (not trusted for iteration)
    std::uint16_t usedBlocks = 0;      // 0x0A
    std::uint16_t firstBlock = 0;      // 0x0E
    std::uint8_t indexFieldNumber = 0; // 0x15: X files, DB number of the first indexed field
    std::uint16_t keyFieldCount = 0;   // 0x23
    std::uint32_t encryptionKey = 0;   // 0x25, or 0x5C when 0x25 holds the 4.x+ marker
    std::uint8_t changeCount = 0;      // 0x2E: mirrored by byte 0 of the .VAL file
    std::uint8_t indexFlags = 0;       // 0x55: X files, index options
    std::uint8_t version = 0;          // 0x39
    int codePage = 0;                  // 0x6A (4.x+); 0 when the header names none
    std::string sortOrder;             // sort-order id after the field numbers (4.x+)
    std::string indexName;             // X files: index name after the sort order; may be empty
    bool hasFieldNumbers = false;
    std::vector<HeaderField> fields;

    bool encrypted() const { return encryptionKey != 0; }
};

enum class HeaderKind { Table, SecondaryIndex };

// Reads the header of file, which must be of the given kind. Throws EDBEngineError: errNotTable
// when the file is no Paradox file of that kind, errVersion for an unknown version byte,
// errCorrupt when the header does not add up (truncated, counts or sizes that do not fit).
ParadoxHeader readParadoxHeader(const ByteSource& file, HeaderKind kind);

} // namespace vorendal::engine::paradox
