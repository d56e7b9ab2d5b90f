#include <algorithm>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/dbase/dbfindexfiles.h"
#include "source/engine/dbase/dbfindexkey.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::uint64_t kPage = 512;
constexpr std::size_t kTagHeader = 256; // what a tag header holds up to its key expression
constexpr std::size_t kExpression = 24; // tag header: key expression, ASCIIZ
constexpr std::size_t kExpressionMax = 220;
constexpr std::uint8_t kDescending = 0x08;
constexpr std::uint8_t kUnique = 0x40;

// The key expression of a tag header, or "" when it is not printable text.
std::string_view keyExpression(const char* tagHeader) {
    const std::string_view raw =
        cutAtZero(std::string_view(tagHeader + kExpression, kExpressionMax));
    for (char c : raw) {
        if (static_cast<unsigned char>(c) < 0x20)
            return {};
    }
    return raw;
}

} // namespace

std::vector<IndexDescription> readMdxIndexes(const ByteSource& file,
                                             const std::vector<DbfField>& fields,
                                             std::string_view tableStem,
                                             const DbfTextConverter& text) {
    std::vector<IndexDescription> indexes;
    const std::uint64_t size = file.size();
    char header[kPage];
    if (size < 2 * kPage || !file.read(0, header, sizeof header))
        return indexes;
    // byte 25: tag table capacity; 26: tag entry length; 28-29: tags in use
    const std::size_t capacity = byteAt(header, 25);
    const std::size_t entryLength = byteAt(header, 26);
    std::size_t count = readU16LE(header + 28);
    if (entryLength < 16)
        return indexes;
    if (capacity > 0)
        count = std::min(count, capacity);
    for (std::size_t i = 0; i < count; ++i) {
        // The tag table follows the 512-byte header after one unused entry (544 for 32-byte
        // entries).
        const std::uint64_t entry = kPage + (i + 1) * entryLength;
        char page[4];
        if (entry + sizeof page > size || !file.read(entry, page, sizeof page))
            break;
        // entry bytes 0-3: page of the tag header
        const std::uint64_t tagOffset = readU32LE(page) * kPage;
        char tag[kTagHeader];
        if (tagOffset == 0 || tagOffset + kTagHeader > size ||
            !file.read(tagOffset, tag, sizeof tag))
            continue;
        const std::string_view expression = keyExpression(tag);
        if (expression.empty())
            continue;
        // tag header byte 8: key format (0x08 descending, 0x40 unique); byte 23: unique
        const std::uint8_t format = byteAt(tag, 8);
        const bool unique = (format & kUnique) != 0 || byteAt(tag, 23) == 1;
        indexes.push_back(describeIndexKey(text.toAnsi(expression), fields, tableStem, unique,
                                           (format & kDescending) != 0));
    }
    return indexes;
}

} // namespace vorendal::engine::dbf
