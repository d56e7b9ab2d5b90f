#pragma once

#include <cstdint>
#include <string>

namespace vorendal::engine {

// Engine error codes (category in the high byte, as the old engine numbered them).
enum EngineErrorCode : std::uint16_t {
    errNotFound = 0x2712,  // the table file does not exist
    errAccess = 0x2A04,    // the file cannot be opened (permission)
    errLocked = 0x2A05,    // another program holds the table locked
    errCorrupt = 0x2101,   // a header, block or pointer does not add up
    errNotTable = 0x2F04,  // the file is not a table of the expected kind
    errVersion = 0x2F05,   // a version of the format this engine does not read
    errEncrypted = 0x2F06, // the table is password protected
    errMemo = 0x2102,      // the memo / blob file is missing or damaged
    errIo = 0x2200         // reading the file failed
};

// The most bytes one memo or blob value may hold; a larger one is an engine error, so that a
// small forged file never costs gigabytes of memory or minutes of reading.
constexpr std::uint64_t kMaxValueBytes = std::uint64_t{64} << 20;

// Throws EDBEngineError with text and the file name as its context line ("File: <name>").
[[noreturn]] void engineError(EngineErrorCode code, const std::string& text,
                              const std::string& fileName);

// Throws EDBEngineError errMemo for a value over kMaxValueBytes: "The value of field <field> in
// record <record> is larger than 64 MiB.", with fileName (the memo or blob file) as context.
[[noreturn]] void valueTooLarge(const std::string& field, std::uint64_t record,
                                const std::string& fileName);

} // namespace vorendal::engine
