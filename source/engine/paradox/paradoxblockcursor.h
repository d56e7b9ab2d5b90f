#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/paradox/paradoxheader.h"
#include "source/engine/paradox/paradoxscrambler.h"

namespace vorendal::engine::paradox {

// Walks the records of a table along its chain of data blocks, holding one block in memory.
// The chain gives the records in key order for keyed tables; blocks outside it (free or stale
// ones) are never read. The blocks of a password-protected table are unscrambled as they are
// read, before their header is looked at.
class ParadoxBlockCursor {
public:
    // file and header must outlive the cursor.
    ParadoxBlockCursor(const ByteSource& file, const ParadoxHeader& header);

    // Moves to the first record; false when the table has none.
    bool first();
    // Moves to the next record; false after the last one.
    bool next();
    // The current record's bytes (header.recordSize of them). Valid after first() or next()
    // returned true.
    const unsigned char* record() const { return m_block.data() + m_recordOffset; }

    // Reading in stretches: slot s of the chain is record s % slotsPerBlock() of the chain's
    // block number s / slotsPerBlock() (counted from 0 along the chain); slots past a block's
    // records hold none. Moves to the first record at slot from or after it and before slot
    // end, and keeps next() before end (kNoEnd: to the chain's end); false when there is none,
    // chainEnded() then telling whether the chain ended. The blocks passed on the way are read
    // for their headers only. A table that is read further on than the stretch asked for is
    // walked again from its first block.
    bool seekSlot(std::uint64_t from, std::uint64_t end);
    std::uint64_t slotsPerBlock() const { return m_slotsPerBlock; }
    static constexpr std::uint64_t kNoEnd = ~std::uint64_t{0};
    // After first(), next() or seekSlot() returned false: the chain has no more blocks.
    bool chainEnded() const { return m_chainEnded; }
    // The current record's place in table order, from 1.
    std::uint64_t recordNumber() const { return m_recordsBefore + m_index + 1; }
    // Records in every block of the chain read or passed so far.
    std::uint64_t recordsPassed() const { return m_recordsBefore + m_count; }

    // first(), next() and seekSlot() throw EDBEngineError errCorrupt when a block number lies
    // outside the file, when the chain returns to a block already read, when a block's record count
    // does not fit it, or when the file ends inside a block (after the records wholly present
    // there; in a protected table, those of the 256-byte chunks wholly present).

private:
    // Back before the chain's first block; false when the table has no block.
    bool restart();
    bool enterChainFrom(std::uint16_t block);
    // Reads block, the next one along the chain: all of it, or its header only.
    void load(std::uint16_t block, bool allOfIt = true);
    void visit(std::uint16_t block);
    std::uint64_t slotOf(std::uint64_t position, std::uint32_t index) const {
        return position * m_slotsPerBlock + index;
    }
    [[noreturn]] void truncated() const;

    const ByteSource& m_file;
    const ParadoxHeader& m_header;
    std::optional<ParadoxUnscrambler> m_unscrambler; // protected tables only
    std::vector<unsigned char> m_block;
    std::bitset<65536> m_visited; // block numbers are 16-bit: one bit each bounds the walk
    std::uint16_t m_current = 0;
    std::uint16_t m_next = 0;
    std::uint32_t m_count = 0; // records of the current block that can be read
    std::uint32_t m_index = 0;
    std::size_t m_recordOffset = 0;
    bool m_cut = false;   // the file ends inside the current block's records
    bool m_whole = false; // the current block's records are in m_block, not only its header
    bool m_chainEnded = false;
    std::uint64_t m_slotsPerBlock = 1;
    std::uint64_t m_blocksEntered = 0; // blocks of the chain read since first(): the current one's
                                       // place along the chain is one less
    std::uint64_t m_recordsBefore = 0; // records of the chain's blocks before the current one
    std::uint64_t m_end = kNoEnd;      // the slot next() stops before
};

} // namespace vorendal::engine::paradox
