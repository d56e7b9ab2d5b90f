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

    // first() and next() throw EDBEngineError errCorrupt when a block number lies outside the
    // file, when the chain returns to a block already read, when a block's record count does not
    // fit it, or when the file ends inside a block (after the records wholly present there; in a
    // protected table, those of the 256-byte chunks wholly present).

private:
    bool enterChainFrom(std::uint16_t block);
    void load(std::uint16_t block);
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
    bool m_cut = false; // the file ends inside the current block's records
};

} // namespace vorendal::engine::paradox
