#include "source/engine/paradox/paradoxheader.h"

#include <cstring>

#include "source/engine/codepage.h"
#include "source/engine/engineerrors.h"
#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

constexpr std::uint32_t kVersion4Marker = 0xFF00FF00;

[[noreturn]] void damaged(const ByteSource& file, const std::string& detail) {
    engineError(errCorrupt, "The Paradox header is damaged: " + detail + ".", file.name());
}

bool isTableType(std::uint8_t t) {
    return t == kKeyedTable || t == kUnkeyedTable;
}

bool isIndexDataType(std::uint8_t t) {
    return t == kIndexNonMaintained || t == kIndexMaintained || t == kCompositeNonMaintained ||
           t == kCompositeMaintained;
}

void checkFileType(const ByteSource& file, std::uint8_t fileType, HeaderKind kind) {
    if (fileType > kCompositeMaintained)
        engineError(errNotTable, "The file is not a Paradox table.", file.name());
    if (kind == HeaderKind::Table && !isTableType(fileType))
        engineError(errNotTable, "The file is a Paradox index, not a table.", file.name());
    if (kind == HeaderKind::SecondaryIndex && !isIndexDataType(fileType))
        engineError(errNotTable, "The file is not a Paradox secondary index.", file.name());
}

// Reads a zero-terminated string starting at pos; false when no zero byte ends it before end.
bool readCString(const std::string& bytes, std::size_t pos, std::size_t end, std::string& out,
                 std::size_t& next) {
    if (pos >= end)
        return false;
    const void* zero = std::memchr(bytes.data() + pos, 0, end - pos);
    if (!zero)
        return false;
    const auto stop = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data());
    out.assign(bytes, pos, stop - pos);
    next = stop + 1;
    return true;
}

// Items 6-8 of the variable part (4.x+): field numbers, sort-order id, index name. They only
// refine what the reader reports, so a file where they do not fit keeps its defaults.
void readTrailingItems(const std::string& bytes, std::size_t namesEnd, ParadoxHeader& h) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = h.fields.size();
    const std::size_t end = bytes.size();
    // 0x66: offset of the field-number array, counted from 0x58
    std::size_t pos = kFixedHeaderSize + le16(b + 0x66);
    if (pos < namesEnd || pos + 2 * n > end)
        pos = namesEnd;
    if (pos + 2 * n > end)
        return;
    for (std::size_t i = 0; i < n; ++i)
        h.fields[i].number = le16(b + pos + 2 * i);
    h.hasFieldNumbers = true;
    std::size_t next = 0;
    if (!readCString(bytes, pos + 2 * n, end, h.sortOrder, next))
        return;
    if (!readCString(bytes, next, end, h.indexName, next))
        h.indexName.clear();
}

int codePageOf(const unsigned char* b, bool extra, const std::string& sortOrder) {
    if (!extra)
        return 0; // 3.0 / 3.5 tables record no code page
    const int cp = le16(b + 0x6A);
    if (cp != 0)
        return cp;
    // code page 0 is written by the HP Roman-8 SQL Link driver
    return sortOrder == "BLROM800" ? CodePage::kRoman8 : 0;
}

} // namespace

ParadoxHeader readParadoxHeader(const ByteSource& file, HeaderKind kind) {
    const std::uint64_t fileSize = file.size();
    unsigned char fixedPart[kFixedHeaderSize];
    if (fileSize < kFixedHeaderSize || !file.read(0, fixedPart, kFixedHeaderSize))
        engineError(errNotTable, "The file is too short to be a Paradox table.", file.name());

    ParadoxHeader h;
    h.fileType = fixedPart[0x04];
    checkFileType(file, h.fileType, kind);
    const unsigned blockCode = fixedPart[0x05]; // block size in KiB
    if (blockCode < 1 || blockCode > 32)
        engineError(errNotTable, "The file is not a Paradox table (invalid block size).",
                    file.name());
    h.version = fixedPart[0x39];
    if (h.version < kFirstVersion || h.version > kLastVersion)
        engineError(errVersion,
                    "Unsupported Paradox file version (byte 0x39 is " + std::to_string(h.version) +
                        ").",
                    file.name());

    const bool extra = h.version >= kExtraHeaderVersion;
    const std::size_t base = extra ? kExtendedHeaderSize : kFixedHeaderSize;
    h.headerSize = le16(fixedPart + 0x02);
    if (h.headerSize < base)
        damaged(file, "header size too small");
    if (h.headerSize > fileSize)
        engineError(errCorrupt, "The Paradox file is truncated inside its header.", file.name());

    std::string bytes(h.headerSize, '\0');
    if (!file.read(0, bytes.data(), bytes.size()))
        engineError(errIo, "The Paradox header cannot be read.", file.name());
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t end = bytes.size();

    h.recordSize = le16(b + 0x00);
    h.blockSize = blockCode * 1024u;
    h.recordCount = le32(b + 0x06);
    h.usedBlocks = le16(b + 0x0A);
    h.firstBlock = le16(b + 0x0E);
    h.indexFieldNumber = b[0x15];
    h.changeCount = b[0x2E];
    h.indexFlags = b[0x55];
    // 0x25: encryption key; 4.x+ files keep a marker there and the key at 0x5C
    h.encryptionKey = le32(b + 0x25);
    if (extra && h.encryptionKey == kVersion4Marker)
        h.encryptionKey = le32(b + 0x5C);

    const int fieldCount = le16s(b + 0x21);
    if (fieldCount < 1)
        damaged(file, "no fields");
    const auto n = static_cast<std::size_t>(fieldCount);
    const int keyCount = le16s(b + 0x23);
    if (keyCount < 0 || keyCount > fieldCount)
        damaged(file, "key field count out of range");
    h.keyFieldCount = static_cast<std::uint16_t>(keyCount);

    // Variable part: field array, table-name pointer, field-name pointers, table name, names.
    const std::size_t nameSlot = h.version >= kLongNameVersion ? 261 : 79;
    std::size_t pos = base + 2 * n + 4 + 4 * n + nameSlot;
    if (pos > end)
        damaged(file, "field list larger than the header");
    h.fields.resize(n);
    std::uint32_t offset = 0;
    for (std::size_t i = 0; i < n; ++i) {
        HeaderField& f = h.fields[i];
        f.code = b[base + 2 * i];
        f.sizeByte = b[base + 2 * i + 1];
        f.offset = offset;
        f.width = static_cast<std::uint32_t>(storedWidth(f.code, f.sizeByte));
        offset += f.width;
        if (!readCString(bytes, pos, end, f.rawName, pos))
            damaged(file, "field names run past the header");
    }
    if (offset == 0 || offset != h.recordSize)
        damaged(file, "record size does not match the fields");
    if (h.recordSize > h.blockSize - kBlockHeaderSize)
        damaged(file, "record larger than a block");

    if (extra)
        readTrailingItems(bytes, pos, h);
    h.codePage = codePageOf(b, extra, h.sortOrder);
    return h;
}

} // namespace vorendal::engine::paradox
