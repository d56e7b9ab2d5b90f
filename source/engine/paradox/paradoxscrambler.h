#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorendal::engine::paradox {

// Password-protected tables keep their data blocks and every byte of their .MB scrambled by a
// fixed transform keyed by the 32-bit value of the header (0x25, or 0x5C in 4.x+ files); of the
// key only the two low bytes a (bits 0-7) and b (bits 8-15) count, and the password is not needed
// to read. The bytes are taken in 256-byte chunks. Chunk c of data block d (numbered from 1, as
// blocks are in the file) holds, for x = 0..255 and all sums modulo 256,
//     stored[y] = clear[x] ^ A[x + a] ^ B[y + b] ^ C[y + c]    where y = C[x] - d;
// every chunk of the .MB is scrambled alike, with c = a + 1 and d = b + 1.
using ScrambleTable = std::array<std::uint8_t, 256>;
extern const ScrambleTable kScrambleA;
extern const ScrambleTable kScrambleB;
extern const ScrambleTable kScrambleC; // a permutation of 0..255

constexpr std::size_t kScrambleChunk = 256;

// Unscrambles the blocks of one protected table. The masks that do not depend on the block are
// made once, here, so that a block costs one pass of table-free XORs and one byte shuffle per
// chunk, with no branch per byte.
class ParadoxUnscrambler {
public:
    // key: the header's value (not 0); blockSize: the table's data block size, a multiple of 256.
    ParadoxUnscrambler(std::uint32_t key, std::size_t blockSize);

    // Unscrambles the first bytes of data block number block in place; bytes is a multiple of
    // 256 and at most the block size.
    void dataBlock(unsigned char* data, std::size_t bytes, std::uint16_t block) const;
    // Unscrambles bytes (a multiple of 256) of the .MB, starting on a 256-byte boundary, in place.
    void blobChunks(unsigned char* data, std::size_t bytes) const;

private:
    std::uint8_t m_blobShift;                 // d of the .MB chunks
    std::array<std::uint8_t, 512> m_rowMasks; // A-term by y + d, twice, so that a shift is a view
    std::array<std::uint8_t, 256> m_blobMask; // the whole mask of an .MB chunk
    std::vector<std::uint8_t> m_chunkMasks;   // per chunk of a data block: its B- and C-terms
};

} // namespace vorendal::engine::paradox
