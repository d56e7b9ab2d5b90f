#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

ColumnType fixed(TFieldType type, std::uint8_t sizeByte, std::uint8_t expected) {
    return sizeByte == expected ? ColumnType{type, 0} : ColumnType{};
}

// Blob fields store a leader of (size - 10) bytes and a 10-byte trailer. The reported size is
// the leader length, i.e. the size the table's designer declared (M1 is stored in 11 bytes).
ColumnType blob(TFieldType type, std::uint8_t sizeByte) {
    if (sizeByte < kBlobTrailerSize)
        return {};
    return {type, static_cast<int>(sizeByte - kBlobTrailerSize)};
}

} // namespace

ColumnType columnTypeOf(std::uint8_t code, std::uint8_t sizeByte) {
    switch (code) {
    case kAlpha:
        return sizeByte == 0 ? ColumnType{} : ColumnType{ftString, sizeByte};
    case kDate:
        return fixed(ftDate, sizeByte, 4);
    case kShort:
        return fixed(ftSmallint, sizeByte, 2);
    case kLong:
        return fixed(ftInteger, sizeByte, 4);
    case kAutoInc:
        return fixed(ftAutoInc, sizeByte, 4);
    case kMoney:
        return fixed(ftCurrency, sizeByte, 8);
    case kNumber:
        return fixed(ftFloat, sizeByte, 8);
    case kLogical:
        return fixed(ftBoolean, sizeByte, 1);
    case kTime:
        return fixed(ftTime, sizeByte, 4);
    case kTimestamp:
        return fixed(ftDateTime, sizeByte, 8);
    case kBcd:
        // the size byte is the number of decimals; the stored width is always 17
        return sizeByte <= kMaxBcdDecimals ? ColumnType{ftBCD, sizeByte} : ColumnType{};
    case kBytes:
        return sizeByte == 0 ? ColumnType{} : ColumnType{ftBytes, sizeByte};
    case kMemo:
        return blob(ftMemo, sizeByte);
    case kFmtMemo:
        return blob(ftFmtMemo, sizeByte);
    case kBinary:
        return blob(ftBlob, sizeByte);
    case kGraphic:
        return blob(ftGraphic, sizeByte);
    case kOle:
        return blob(ftParadoxOle, sizeByte);
    default:
        return {};
    }
}

} // namespace vorendal::engine::paradox
