#include "source/engine/paradox/paradoxblockcursor.h"

#include <algorithm>
#include <string>

#include "source/engine/engineerrors.h"
#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {

ParadoxBlockCursor::ParadoxBlockCursor(const ByteSource& file, const ParadoxHeader& header)
    : m_file(file), m_header(header), m_block(header.blockSize) {
    if (header.encrypted())
        m_unscrambler.emplace(header.encryptionKey, header.blockSize);
}

bool ParadoxBlockCursor::first() {
    m_visited.reset();
    m_count = 0;
    m_cut = false;
    // 0x0A used blocks, 0x0E first block: either 0 means an empty table
    if (m_header.usedBlocks == 0)
        return false;
    return enterChainFrom(m_header.firstBlock);
}

bool ParadoxBlockCursor::next() {
    if (m_index + 1 < m_count) {
        ++m_index;
        m_recordOffset += m_header.recordSize;
        return true;
    }
    if (m_cut)
        truncated();
    return enterChainFrom(m_next);
}

// Follows the chain from block until a block with records; false at the chain's end.
bool ParadoxBlockCursor::enterChainFrom(std::uint16_t block) {
    while (block != 0) {
        if (m_visited.test(block))
            engineError(errCorrupt,
                        "The block chain of the table is damaged: it returns to block " +
                            std::to_string(block) + ".",
                        m_file.name());
        m_visited.set(block);
        load(block);
        if (m_count > 0) {
            m_index = 0;
            m_recordOffset = kBlockHeaderSize;
            return true;
        }
        if (m_cut)
            truncated();
        block = m_next;
    }
    m_count = 0;
    return false;
}

void ParadoxBlockCursor::load(std::uint16_t block) {
    const std::uint64_t offset =
        m_header.headerSize + std::uint64_t{block - 1u} * m_header.blockSize;
    const std::uint64_t fileSize = m_file.size();
    if (offset + kBlockHeaderSize > fileSize)
        engineError(errCorrupt,
                    "Block " + std::to_string(block) +
                        " of the table lies beyond the end of the file; the file is truncated.",
                    m_file.name());
    auto present =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_header.blockSize, fileSize - offset));
    if (!m_file.read(offset, m_block.data(), present))
        engineError(errIo, "The table file cannot be read.", m_file.name());
    if (m_unscrambler) {
        // a chunk cut short by the end of the file cannot be unscrambled
        present -= present % kScrambleChunk;
        if (present < kBlockHeaderSize)
            engineError(errCorrupt,
                        "Block " + std::to_string(block) +
                            " of the table is cut short by the end of the file; the file is "
                            "truncated.",
                        m_file.name());
        m_unscrambler->dataBlock(m_block.data(), present, block);
    }
    m_current = block;
    m_next = le16(m_block.data());
    // byte 4: offset of the last record from byte 6; negative in an empty block
    const int lastOffset = le16s(m_block.data() + 4);
    m_cut = false;
    if (lastOffset < 0) {
        m_count = 0;
        return;
    }
    const auto last = static_cast<std::uint32_t>(lastOffset);
    if (last % m_header.recordSize != 0 ||
        last + m_header.recordSize > m_header.blockSize - kBlockHeaderSize)
        engineError(errCorrupt,
                    "Block " + std::to_string(block) +
                        " of the table is damaged: its record count does not fit the block.",
                    m_file.name());
    m_count = last / m_header.recordSize + 1;
    const auto whole =
        static_cast<std::uint32_t>((present - kBlockHeaderSize) / m_header.recordSize);
    if (whole < m_count) {
        m_count = whole; // keep the records wholly present, then report the rest as missing
        m_cut = true;
    }
}

void ParadoxBlockCursor::truncated() const {
    engineError(errCorrupt,
                "The table file is truncated: records of block " + std::to_string(m_current) +
                    " are missing.",
                m_file.name());
}

} // namespace vorendal::engine::paradox
