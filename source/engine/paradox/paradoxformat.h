#pragma once

#include <cstddef>
#include <cstdint>

#include "source/fieldtype.h"

// Constants and byte helpers shared by the parts of the Paradox reader. Header and block-header
// integers are little-endian; field values inside records are big-endian (see paradoxvalues.h).
namespace vorendal::engine::paradox {

// Type byte of an entry of the field array.
enum FieldCode : std::uint8_t {
    kAlpha = 0x01,
    kDate = 0x02,
    kShort = 0x03,
    kLong = 0x04,
    kMoney = 0x05,
    kNumber = 0x06,
    kLogical = 0x09,
    kMemo = 0x0C,
    kBinary = 0x0D,
    kFmtMemo = 0x0E,
    kOle = 0x0F,
    kGraphic = 0x10,
    kTime = 0x14,
    kTimestamp = 0x15,
    kAutoInc = 0x16,
    kBcd = 0x17,
    kBytes = 0x18
};

// File-type byte (offset 4).
enum FileType : std::uint8_t {
    kKeyedTable = 0,
    kPrimaryIndex = 1,
    kUnkeyedTable = 2,
    kIndexNonMaintained = 3,
    kIndexTree = 4,
    kIndexMaintained = 5,
    kCompositeNonMaintained = 6,
    kCompositeTree = 7,
    kCompositeMaintained = 8
};

// Version byte (offset 0x39) of the oldest and newest levels read: 3.0 and 7.x.
constexpr std::uint8_t kFirstVersion = 0x03;
constexpr std::uint8_t kLastVersion = 0x0C;
// From this version on, table and index data files carry the extra header block 0x58-0x77, a
// code page and the field-number array.
constexpr std::uint8_t kExtraHeaderVersion = 0x05;
// From this version on the table name slot of the header is 261 bytes instead of 79.
constexpr std::uint8_t kLongNameVersion = 0x0C;

constexpr std::size_t kFixedHeaderSize = 0x58;
constexpr std::size_t kExtendedHeaderSize = 0x78;
constexpr std::size_t kBlockHeaderSize = 6;  // next block, previous block, add-data size
constexpr std::size_t kBlobTrailerSize = 10; // offset/index, length, modification number
constexpr std::size_t kBcdWidth = 17;        // a BCD field's bytes, whatever its size byte says
constexpr int kMaxBcdDecimals = 32;
constexpr std::uint32_t kMbBlockSize = 4096; // MB blocks start on 4 KiB boundaries

inline std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int16_t le16s(const unsigned char* p) {
    return static_cast<std::int16_t>(le16(p));
}

inline bool isBlobCode(std::uint8_t code) {
    return code == kMemo || code == kBinary || code == kFmtMemo || code == kOle || code == kGraphic;
}

// Bytes a field of this type and size byte occupies in a record.
inline std::size_t storedWidth(std::uint8_t code, std::uint8_t sizeByte) {
    return code == kBcd ? kBcdWidth : sizeByte;
}

// The column type and reported size of a field. A field whose size byte does not fit its type
// (a 3-byte date, a 5-byte memo) is reported as ftUnknown; it still occupies its bytes.
struct ColumnType {
    TFieldType type = ftUnknown;
    int size = 0;
};
ColumnType columnTypeOf(std::uint8_t code, std::uint8_t sizeByte);

} // namespace vorendal::engine::paradox
