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
    if (header.recordSize > 0 && header.blockSize > kBlockHeaderSize)
        m_slotsPerBlock =
            std::max<std::uint64_t>(1, (header.blockSize - kBlockHeaderSize) / header.recordSize);
}

bool ParadoxBlockCursor::restart() {
    m_visited.reset();
    m_count = 0;
    m_index = 0;
    m_cut = false;
    m_blocksEntered = 0;
    m_recordsBefore = 0;
    // 0x0A used blocks, 0x0E first block: either 0 means an empty table
    m_chainEnded = m_header.usedBlocks == 0 || m_header.firstBlock == 0;
    return !m_chainEnded;
}

bool ParadoxBlockCursor::first() {
    m_end = kNoEnd;
    return restart() && enterChainFrom(m_header.firstBlock);
}

bool ParadoxBlockCursor::next() {
    if (m_index + 1 < m_count) {
        if (slotOf(m_blocksEntered - 1, m_index + 1) >= m_end)
            return false;
        ++m_index;
        m_recordOffset += m_header.recordSize;
        return true;
    }
    if (m_cut)
        truncated();
    return enterChainFrom(m_next);
}

bool ParadoxBlockCursor::seekSlot(std::uint64_t from, std::uint64_t end) {
    const std::uint64_t target = from / m_slotsPerBlock;
    m_end = end;
    if (m_blocksEntered == 0 || m_blocksEntered - 1 > target) {
        // from the chain's first block
        if (!restart())
            return false;
        visit(m_header.firstBlock);
        load(m_header.firstBlock, target == 0);
        m_blocksEntered = 1;
    }
    // the blocks before the target, by their headers
    while (m_blocksEntered - 1 < target) {
        if (m_cut)
            truncated();
        if (m_next == 0) {
            m_recordsBefore += m_count;
            m_count = 0;
            m_chainEnded = true;
            return false;
        }
        const std::uint16_t block = m_next;
        visit(block);
        m_recordsBefore += m_count;
        load(block, m_blocksEntered == target);
        ++m_blocksEntered;
    }
    if (!m_whole)
        load(m_current);
    const auto index = static_cast<std::uint32_t>(from % m_slotsPerBlock);
    if (index < m_count && slotOf(target, index) < m_end) {
        m_index = index;
        m_recordOffset = kBlockHeaderSize + std::size_t{index} * m_header.recordSize;
        return true;
    }
    m_index = m_count == 0 ? 0 : m_count - 1; // so that next() leaves the block
    if (index < m_count)
        return false;
    if (m_cut)
        truncated();
    return enterChainFrom(m_next);
}

void ParadoxBlockCursor::visit(std::uint16_t block) {
    if (m_visited.test(block))
        engineError(errCorrupt,
                    "The block chain of the table is damaged: it returns to block " +
                        std::to_string(block) + ".",
                    m_file.name());
    m_visited.set(block);
}

// Follows the chain from block until a block with records; false at the chain's end or at the
// end of the stretch.
bool ParadoxBlockCursor::enterChainFrom(std::uint16_t block) {
    while (block != 0) {
        if (slotOf(m_blocksEntered, 0) >= m_end)
            return false;
        visit(block);
        if (m_blocksEntered > 0)
            m_recordsBefore += m_count;
        load(block);
        ++m_blocksEntered;
        if (m_count > 0) {
            m_index = 0;
            m_recordOffset = kBlockHeaderSize;
            return true;
        }
        if (m_cut)
            truncated();
        block = m_next;
    }
    m_recordsBefore += m_count;
    m_count = 0;
    m_chainEnded = true;
    return false;
}

void ParadoxBlockCursor::load(std::uint16_t block, bool allOfIt) {
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
    // a protected block's header is unscrambled with the rest of its first chunk
    allOfIt = allOfIt || m_unscrambler.has_value();
    if (!m_file.read(offset, m_block.data(), allOfIt ? present : kBlockHeaderSize))
        engineError(errIo, "The table file cannot be read.", m_file.name());
    m_whole = allOfIt;
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
