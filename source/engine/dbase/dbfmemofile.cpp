#include "source/engine/dbase/dbfmemofile.h"

#include <algorithm>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::uint32_t kDbt3BlockSize = 512;
constexpr std::uint64_t kFptHeader = 512;
constexpr std::size_t kBlockHead = 8;
constexpr std::size_t kScanChunk = 512;
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

bool DbfMemoFile::read(std::uint32_t block, std::string& out) const {
    out.clear();
    if (m_blockSize == 0)
        engineError(errMemo, "Memo file header is damaged.", name());
    const std::uint64_t size = m_file->size();
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * m_blockSize;
    if (block == 0 || (m_format == Format::Fpt && offset < kFptHeader) || offset >= size)
        return false;
    char head[kBlockHead] = {};
    const bool haveHead = size - offset >= kBlockHead;
    if (haveHead && !m_file->read(offset, head, kBlockHead))
        engineError(errIo, "Reading the memo file failed.", name());
    std::uint64_t length = 0;
    if (m_format == Format::Fpt) {
        // block bytes 0-3: type (0 picture, 1 text, 2 object); 4-7: data length, big-endian
        if (!haveHead)
            return false;
        length = readU32BE(head + 4);
    } else if (haveHead && byteAt(head, 0) == 0xFF && byteAt(head, 1) == 0xFF &&
               byteAt(head, 2) == 0x08 && byteAt(head, 3) == 0x00) {
        // dBASE IV block: signature FF FF 08 00, then the length including these 8 bytes
        length = readU32LE(head + 4);
        if (length < kBlockHead)
            return false;
        length -= kBlockHead;
    } else {
        return readDbt3(offset, out);
    }
    if (length > size - offset - kBlockHead)
        return false;
    out.resize(static_cast<std::size_t>(length));
    if (length > 0 && !m_file->read(offset + kBlockHead, out.data(), out.size()))
        engineError(errIo, "Reading the memo file failed.", name());
    return true;
}

// dBASE III memos have no length: the text runs to the first 0x1A.
bool DbfMemoFile::readDbt3(std::uint64_t offset, std::string& out) const {
    const std::uint64_t size = m_file->size();
    const std::uint64_t start = offset;
    char chunk[kScanChunk];
    while (offset < size && offset < m_endlessFrom) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kScanChunk, size - offset));
        if (!m_file->read(offset, chunk, n))
            engineError(errIo, "Reading the memo file failed.", name());
        const char* end = std::find(chunk, chunk + n, kDbt3End);
        out.append(chunk, static_cast<std::size_t>(end - chunk));
        if (end != chunk + n)
            return true;
        offset += n;
    }
    m_endlessFrom = start;
    out.clear();
    return false;
}

} // namespace vorendal::engine::dbf
