#pragma once

#include <memory>

#include "source/engine/bytesource.h"
#include "source/engine/paradox/paradoxscrambler.h"

namespace vorendal::engine::paradox {

// The .MB of a password-protected table, read as if it were clear: every read takes the whole
// 256-byte chunks around the bytes asked for from the file and unscrambles them. A chunk cut
// short at the end of the file cannot be unscrambled, so size() stops before it: a value that
// needs its bytes is then one that runs past the end of the file.
class ParadoxUnscrambledSource : public ByteSource {
public:
    // scrambled: the .MB as stored; key: the table header's protection key (not 0).
    ParadoxUnscrambledSource(std::unique_ptr<ByteSource> scrambled, std::uint32_t key);

    std::uint64_t size() const override { return m_size; }
    // As ByteSource::read; a failing read of the file may leave out partly written.
    bool read(std::uint64_t offset, void* out, std::size_t length) const override;
    std::string name() const override { return m_file->name(); }

private:
    std::unique_ptr<ByteSource> m_file;
    ParadoxUnscrambler m_unscrambler;
    std::uint64_t m_size;
};

} // namespace vorendal::engine::paradox
