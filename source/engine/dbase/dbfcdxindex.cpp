#include <algorithm>
#include <set>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/dbase/dbfindexfiles.h"
#include "source/engine/dbase/dbfindexkey.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::size_t kNode = 512;
constexpr std::size_t kTagHeader = 1024; // 512 bytes of header, 512 of expression pool
constexpr std::size_t kMaxKeyLength = 240;
constexpr int kMaxDepth = 32;
constexpr std::uint8_t kUnique = 0x01;
constexpr std::uint8_t kCandidate = 0x04;

struct Node {
    char bytes[kNode];
    std::uint16_t attributes() const { return readU16LE(bytes); }
    std::size_t keys() const { return readU16LE(bytes + 2); }
    std::int32_t right() const { return static_cast<std::int32_t>(readU32LE(bytes + 8)); }
};

bool readNode(const ByteSource& file, std::uint64_t offset, Node& node) {
    return offset <= file.size() && file.size() - offset >= kNode &&
           file.read(offset, node.bytes, kNode);
}

// Appends the record numbers of a compact leaf; in the tag directory they are the file offsets
// of the tag headers. False when the leaf does not add up.
bool leafRecords(const Node& node, std::size_t keyLength, std::vector<std::uint64_t>& out) {
    // leaf bytes 14-17: record mask; 20-22: bits for record, duplicate and trailing counts;
    // 18-19: duplicate and trailing masks; 23: bytes per key entry
    const std::uint64_t recordMask = readU32LE(node.bytes + 14);
    const std::uint8_t duplicateMask = byteAt(node.bytes, 18);
    const std::uint8_t trailingMask = byteAt(node.bytes, 19);
    const unsigned recordBits = byteAt(node.bytes, 20);
    const unsigned duplicateBits = byteAt(node.bytes, 21);
    const std::size_t entrySize = byteAt(node.bytes, 23);
    const std::size_t count = node.keys();
    if (entrySize == 0 || entrySize > 8 || recordBits + duplicateBits >= 64 ||
        24 + count * entrySize > kNode)
        return false;
    std::size_t cursor = kNode;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        for (std::size_t k = 0; k < entrySize; ++k)
            v |= static_cast<std::uint64_t>(byteAt(node.bytes, 24 + i * entrySize + k)) << (8 * k);
        const std::size_t duplicates = (v >> recordBits) & duplicateMask;
        const std::size_t trailing = (v >> (recordBits + duplicateBits)) & trailingMask;
        if (duplicates + trailing > keyLength)
            return false;
        const std::size_t stored = keyLength - duplicates - trailing;
        if (cursor < 24 + count * entrySize + stored)
            return false;
        cursor -= stored;
        out.push_back(v & recordMask);
    }
    return true;
}

// The header offsets of every tag listed in the directory whose root is at root.
std::vector<std::uint64_t> directoryEntries(const ByteSource& file, std::uint64_t root,
                                            std::size_t keyLength) {
    std::vector<std::uint64_t> entries;
    std::set<std::uint64_t> visited;
    Node node;
    std::uint64_t offset = root;
    // Down the leftmost path: interior entries are key, record number and child offset, the
    // numbers big-endian.
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth || !visited.insert(offset).second || !readNode(file, offset, node))
            return entries;
        if (node.attributes() & 0x02)
            break;
        if (node.keys() == 0 || 12 + keyLength + 8 > kNode)
            return entries;
        offset = readU32BE(node.bytes + 12 + keyLength + 4);
    }
    // Along the leaves through their right-sibling links; a link seen before ends the walk, and
    // the file cannot hold more nodes than it has pages.
    const std::uint64_t maxNodes = file.size() / kNode + 1;
    while (visited.size() <= maxNodes && leafRecords(node, keyLength, entries)) {
        const std::int32_t right = node.right();
        if (right < 0)
            break;
        offset = static_cast<std::uint64_t>(right);
        if (!visited.insert(offset).second || !readNode(file, offset, node))
            break;
    }
    return entries;
}

} // namespace

std::vector<IndexDescription> readCdxIndexes(const ByteSource& file,
                                             const std::vector<DbfField>& fields,
                                             std::string_view tableStem,
                                             const DbfTextConverter& text) {
    std::vector<IndexDescription> indexes;
    Node directory;
    if (!readNode(file, 0, directory))
        return indexes;
    // directory header bytes 0-3: root node; 12-13: key length (the tag name width)
    const std::uint64_t root = readU32LE(directory.bytes);
    const std::size_t keyLength = readU16LE(directory.bytes + 12);
    if (keyLength == 0 || keyLength > kMaxKeyLength)
        return indexes;
    std::vector<std::uint64_t> tags = directoryEntries(file, root, keyLength);
    // Tags are listed by name; their headers lie in the order the tags were made.
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    std::vector<char> header(kTagHeader);
    for (const std::uint64_t offset : tags) {
        if (offset == 0 || offset > file.size() || file.size() - offset < kTagHeader ||
            !file.read(offset, header.data(), kTagHeader))
            continue;
        // tag header byte 14: options; 502-503: 1 = descending; 508-511: start and length of
        // the key expression in the pool at 512
        const std::uint8_t options = byteAt(header.data(), 14);
        const bool descending = readU16LE(header.data() + 502) != 0;
        const std::size_t start = readU16LE(header.data() + 508);
        const std::size_t length = readU16LE(header.data() + 510);
        if (start >= kNode || length > kNode - start)
            continue;
        const std::string_view expression =
            cutAtZero(std::string_view(header.data() + kNode + start, length));
        if (expression.empty())
            continue;
        const bool unique = (options & (kUnique | kCandidate)) != 0;
        indexes.push_back(
            describeIndexKey(text.toAnsi(expression), fields, tableStem, unique, descending));
    }
    return indexes;
}

} // namespace vorendal::engine::dbf
