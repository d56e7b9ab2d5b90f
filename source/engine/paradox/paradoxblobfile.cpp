#include "source/engine/paradox/paradoxblobfile.h"

#include <algorithm>

#include "source/engine/engineerrors.h"
#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

constexpr unsigned char kSingleBlob = 2;
constexpr unsigned char kSubAllocated = 3;
constexpr std::uint32_t kSingleHeader = 9; // type, size in 4K units, length, modification
constexpr std::uint32_t kSlotTable = 12;   // the slot table follows a 12-byte block header
constexpr std::uint32_t kSlotSize = 5;     // chunk offset, chunk count, modification, last
constexpr unsigned kSlotCount = 64;
constexpr std::uint32_t kChunk = 16;

} // namespace

ParadoxBlobFile::ParadoxBlobFile(std::unique_ptr<ByteSource> file, std::string tableName,
                                 std::string missingReason)
    : m_file(std::move(file)), m_tableName(std::move(tableName)),
      m_missingReason(std::move(missingReason)) {}

void ParadoxBlobFile::damaged(const std::string& detail) const {
    throw Damaged(errMemo, "A blob value of the table is damaged: " + detail + ".",
                  {"File: " + m_file->name()});
}

void ParadoxBlobFile::spend(std::uint32_t length) {
    if (length > m_file->size() - std::min(m_spent, m_file->size()))
        damaged("it shares its place in the blob file with a value read before");
    m_spent += length;
}

void ParadoxBlobFile::read(std::uint32_t offsetAndIndex, std::uint32_t length, std::string& out) {
    if (!m_file)
        engineError(errMemo, m_missingReason, m_tableName);
    // low byte: 0xFF for a single blob block, else the slot of a sub-allocated block
    const std::uint64_t block = offsetAndIndex & 0xFFFFFF00u;
    const unsigned index = offsetAndIndex & 0xFFu;
    const std::uint64_t size = m_file->size();
    if (block == 0 || block % kMbBlockSize != 0 || block + kSingleHeader > size)
        damaged("its pointer lies outside the blob file");
    unsigned char head[kSingleHeader];
    if (!m_file->read(block, head, sizeof head))
        engineError(errIo, "The blob file cannot be read.", m_file->name());
    // byte 1: block size in 4 KiB units
    const std::uint32_t blockBytes = le16(head + 1) * kMbBlockSize;
    if (blockBytes == 0)
        damaged("its block has no size");
    if (head[0] == kSingleBlob && index == 0xFF) {
        if (le32(head + 3) != length) // byte 3: the length again
            damaged("the lengths in the record and in the blob file differ");
        readSingle(block, blockBytes, length, out);
    } else if (head[0] == kSubAllocated && index < kSlotCount) {
        readSubAllocated(block, blockBytes, index, length, out);
    } else {
        damaged("its pointer does not lead to a blob block");
    }
}

void ParadoxBlobFile::readSingle(std::uint64_t block, std::uint32_t blockBytes,
                                 std::uint32_t length, std::string& out) {
    if (length > blockBytes - kSingleHeader)
        damaged("its length exceeds its block");
    if (block + kSingleHeader + length > m_file->size())
        damaged("it runs past the end of the blob file");
    spend(length);
    out.resize(length);
    if (!m_file->read(block + kSingleHeader, out.data(), length))
        engineError(errIo, "The blob file cannot be read.", m_file->name());
}

void ParadoxBlobFile::readSubAllocated(std::uint64_t block, std::uint32_t blockBytes, unsigned slot,
                                       std::uint32_t length, std::string& out) {
    unsigned char entry[kSlotSize];
    if (block + kSlotTable + kSlotSize * (slot + 1) > m_file->size())
        damaged("its slot lies past the end of the blob file");
    if (!m_file->read(block + kSlotTable + kSlotSize * slot, entry, sizeof entry))
        engineError(errIo, "The blob file cannot be read.", m_file->name());
    // slot bytes: data offset / 16, chunk count, modification number (2), bytes in last chunk
    const std::uint32_t start = entry[0] * kChunk;
    const std::uint32_t chunks = entry[1];
    const std::uint32_t last = entry[4];
    if (start < kSlotTable + kSlotSize * kSlotCount || chunks == 0 || last == 0 || last > kChunk)
        damaged("its slot in a shared block is empty or invalid");
    if ((chunks - 1) * kChunk + last != length)
        damaged("the lengths in the record and in the blob file differ");
    if (start + length > blockBytes)
        damaged("its length exceeds its block");
    if (block + start + length > m_file->size())
        damaged("it runs past the end of the blob file");
    spend(length);
    out.resize(length);
    if (!m_file->read(block + start, out.data(), length))
        engineError(errIo, "The blob file cannot be read.", m_file->name());
}

} // namespace vorendal::engine::paradox
