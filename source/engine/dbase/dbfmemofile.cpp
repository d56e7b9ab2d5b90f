#include "source/engine/dbase/dbfmemofile.h"

#include <algorithm>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::uint32_t kDbt3BlockSize = 512;
constexpr std::uint64_t kFptHeader = 512;
constexpr std::size_t kBlockHead = 8;
constexpr std::size_t kScanChunk = 64 * 1024;
constexpr char kDbt3End = 0x1A;

} // namespace

DbfMemoFile::DbfMemoFile(std::unique_ptr<ByteSource> file, Format format)
    : m_file(std::move(file)), m_format(format) {
    char head[22] = {};
    const bool haveHead = m_file->read(0, head, sizeof head);
    switch (m_format) {
    case Format::Dbt3:
        m_blockSize = kDbt3BlockSize;
        break;
    case Format::Dbt4: {
        // bytes 20-21: block size, a multiple of 64 (512 when a writer left it 0)
        const std::uint32_t size = haveHead ? readU16LE(head + 20) : 0;
        if (haveHead)
            m_blockSize = size == 0 ? kDbt3BlockSize : (size % 64 == 0 ? size : 0);
        break;
    }
    case Format::Fpt:
        // bytes 6-7: block size, big-endian
        m_blockSize = m_file->read(6, head, 2) ? readU16BE(head) : 0;
        break;
    }
}

bool DbfMemoFile::withinBudget(std::uint64_t bytes) {
    if (bytes > m_file->size() - std::min(m_spent, m_file->size()))
        return false;
    m_spent += bytes;
    return true;
}

void DbfMemoFile::readBytes(std::uint64_t offset, std::uint64_t length, std::string& out) const {
    out.resize(static_cast<std::size_t>(length));
    if (length > 0 && !m_file->read(offset, out.data(), out.size()))
        engineError(errIo, "Reading the memo file failed.", name());
}

DbfMemoFile::Result DbfMemoFile::read(std::uint32_t block, std::string& out) {
    out.clear();
    if (m_blockSize == 0)
        engineError(errMemo, "Memo file header is damaged.", name());
    const std::uint64_t size = m_file->size();
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * m_blockSize;
    if (block == 0 || (m_format == Format::Fpt && offset < kFptHeader) || offset >= size)
        return Result::Damaged;
    char head[kBlockHead] = {};
    const bool haveHead = size - offset >= kBlockHead;
    if (haveHead && !m_file->read(offset, head, kBlockHead))
        engineError(errIo, "Reading the memo file failed.", name());
    std::uint64_t length = 0;
    if (m_format == Format::Fpt) {
        // block bytes 0-3: type (0 picture, 1 text, 2 object); 4-7: data length, big-endian
        if (!haveHead)
            return Result::Damaged;
        length = readU32BE(head + 4);
    } else if (haveHead && byteAt(head, 0) == 0xFF && byteAt(head, 1) == 0xFF &&
               byteAt(head, 2) == 0x08 && byteAt(head, 3) == 0x00) {
        // dBASE IV block: signature FF FF 08 00, then the length including these 8 bytes
        length = readU32LE(head + 4);
        if (length < kBlockHead)
            return Result::Damaged;
        length -= kBlockHead;
    } else {
        return readDbt3(offset, out);
    }
    if (length > size - offset - kBlockHead)
        return Result::Damaged;
    if (length > kMaxValueBytes)
        return Result::TooLarge;
    if (!withinBudget(length))
        return Result::Damaged;
    readBytes(offset + kBlockHead, length, out);
    return Result::Read;
}

// dBASE III memos have no length: the text runs to the first 0x1A. The run is measured first,
// without keeping it, so that a memo without its marker costs no memory.
DbfMemoFile::Result DbfMemoFile::readDbt3(std::uint64_t offset, std::string& out) {
    const std::uint64_t size = m_file->size();
    if (offset >= m_endlessFrom)
        return Result::Damaged;
    const std::uint64_t budget = size - std::min(m_spent, size);
    // one byte past the limit tells a memo at the limit from a longer one
    const std::uint64_t stop = offset + std::min({size - offset, kMaxValueBytes + 1, budget});
    m_chunk.resize(kScanChunk);
    std::uint64_t at = offset;
    while (at < stop) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kScanChunk, stop - at));
        if (!m_file->read(at, m_chunk.data(), n))
            engineError(errIo, "Reading the memo file failed.", name());
        const char* end = std::find(m_chunk.data(), m_chunk.data() + n, kDbt3End);
        if (end != m_chunk.data() + n) {
            const std::uint64_t length =
                at + static_cast<std::uint64_t>(end - m_chunk.data()) - offset;
            m_spent += length + 1;
            readBytes(offset, length, out);
            return Result::Read;
        }
        at += n;
    }
    m_spent += stop - offset;
    if (stop - offset > kMaxValueBytes)
        return Result::TooLarge;
    if (stop == size)
        m_endlessFrom = std::min(m_endlessFrom, offset);
    return Result::Damaged;
}

} // namespace vorendal::engine::dbf
