#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/exceptions.h"
#include "source/engine/bytesource.h"

namespace vorendal::engine::paradox {

// The blob store (.MB) of a table: the values of memo, binary, formatted-memo, OLE and graphic
// fields that do not fit in their record. Blocks start on 4 KiB boundaries; a value lives either
// alone in a type-2 block or in one of the 64 slots of a type-3 (sub-allocated) block.
class ParadoxBlobFile {
public:
    // file: the .MB companion, or nullptr when there is none (then missingReason says why).
    // tableName names the table in messages.
    ParadoxBlobFile(std::unique_ptr<ByteSource> file, std::string tableName,
                    std::string missingReason);

    // The error of one value that cannot be read; the rest of the file may still serve.
    class Damaged : public EDBEngineError {
    public:
        using EDBEngineError::EDBEngineError;
    };

    // Replaces out with the length bytes of the value that offsetAndIndex (the first u32 of a
    // record's blob trailer) points to. Throws EDBEngineError errMemo when the file is missing;
    // Damaged (errMemo) when the pointer, the block or its length do not agree with the file
    // (a file cut short among them), or when the value would take the reading of this pass over
    // the size of the file (records that share a blob: a sound file gives each record its own).
    void read(std::uint32_t offsetAndIndex, std::uint32_t length, std::string& out);

    // Starts a new pass over the table: the bytes read so far no longer count.
    void startPass() { m_spent = 0; }
    // Name for messages: the blob file's, or the table's when there is none.
    std::string name() const { return m_file ? m_file->name() : m_tableName; }

private:
    void spend(std::uint32_t length);
    [[noreturn]] void damaged(const std::string& detail) const;
    void readSingle(std::uint64_t block, std::uint32_t blockBytes, std::uint32_t length,
                    std::string& out);
    void readSubAllocated(std::uint64_t block, std::uint32_t blockBytes, unsigned slot,
                          std::uint32_t length, std::string& out);

    std::unique_ptr<ByteSource> m_file;
    std::string m_tableName;
    std::string m_missingReason;
    std::uint64_t m_spent = 0; // value bytes read in this pass
};

} // namespace vorendal::engine::paradox
