#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "source/engine/bytesource.h"

namespace vorendal::engine::dbf {

// A memo file beside a table: .dbt (dBASE) or .fpt (FoxPro). Memos are read whole, one at a time,
// into a buffer the caller reuses.
class DbfMemoFile {
public:
    enum class Format : std::uint8_t {
        Dbt3, // dBASE III: 512-byte blocks, memo ends at the first 0x1A
        Dbt4, // dBASE IV / 5 / 7: block size in the header, blocks start with their length
        Fpt   // FoxPro: big-endian header and block headers
    };

    // Takes the open memo file. Nothing is checked here, so that a table with a damaged memo
    // file still opens; read() reports the damage.
    DbfMemoFile(std::unique_ptr<ByteSource> file, Format format);

    Format format() const { return m_format; }
    std::string name() const { return m_file->name(); }

    enum class Result : std::uint8_t {
        Read,    // out holds the memo
        Damaged, // this one memo cannot be read (out empty)
        TooLarge // the memo is longer than kMaxValueBytes (out empty)
    };

    // Replaces out with the bytes of the memo that starts at block. Damaged: the block is 0, lies
    // in the header or past the end of the file, its length runs past the end, a dBASE III memo
    // has no end marker, or the memo would take the reading of this pass over the size of the
    // file (records that share or overlap memos: a sound file gives each record its own). Throws
    // EDBEngineError when the memo file's header is damaged (errMemo) or reading fails (errIo).
    // Costs at most kMaxValueBytes of memory and of reading.
    Result read(std::uint32_t block, std::string& out);

    // Starts a new pass over the table: the bytes read so far no longer count.
    void startPass() { m_spent = 0; }

private:
    Result readDbt3(std::uint64_t offset, std::string& out);
    bool withinBudget(std::uint64_t bytes);
    void readBytes(std::uint64_t offset, std::uint64_t length, std::string& out) const;

    std::unique_ptr<ByteSource> m_file;
    Format m_format;
    std::uint32_t m_blockSize = 0; // 0: the header is damaged
    // dBASE III: no end marker follows this offset, so no memo starting at or after it can be
    // read. Spares a scan to the end of the file for every record of a damaged file.
    std::uint64_t m_endlessFrom = UINT64_MAX;
    std::uint64_t m_spent = 0; // memo bytes read or scanned in this pass
    std::vector<char> m_chunk; // dBASE III scan buffer
};

} // namespace vorendal::engine::dbf
