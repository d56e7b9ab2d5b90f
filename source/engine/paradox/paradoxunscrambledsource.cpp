#include "source/engine/paradox/paradoxunscrambledsource.h"

#include <algorithm>
#include <cstring>

namespace vorendal::engine::paradox {

ParadoxUnscrambledSource::ParadoxUnscrambledSource(std::unique_ptr<ByteSource> scrambled,
                                                   std::uint32_t key)
    : m_file(std::move(scrambled)), m_unscrambler(key, 0),
      m_size(m_file->size() / kScrambleChunk * kScrambleChunk) {}

bool ParadoxUnscrambledSource::read(std::uint64_t offset, void* out, std::size_t length) const {
    if (offset > m_size || length > m_size - offset)
        return false;
    auto* target = static_cast<unsigned char*>(out);
    while (length > 0) {
        const std::uint64_t into = offset % kScrambleChunk;
        if (into == 0 && length >= kScrambleChunk) {
            // whole chunks go straight into out and are unscrambled there
            const std::size_t whole = length / kScrambleChunk * kScrambleChunk;
            if (!m_file->read(offset, target, whole))
                return false;
            m_unscrambler.blobChunks(target, whole);
            target += whole;
            offset += whole;
            length -= whole;
            continue;
        }
        unsigned char chunk[kScrambleChunk];
        if (!m_file->read(offset - into, chunk, kScrambleChunk))
            return false;
        m_unscrambler.blobChunks(chunk, kScrambleChunk);
        const std::size_t part =
            std::min<std::size_t>(length, kScrambleChunk - static_cast<std::size_t>(into));
        std::memcpy(target, chunk + into, part);
        target += part;
        offset += part;
        length -= part;
    }
    return true;
}

} // namespace vorendal::engine::paradox
