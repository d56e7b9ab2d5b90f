#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "scripts/linesink.h"

namespace vorendal {

// A line sink that writes a script file as saving the script pane would: each line as its bytes
// followed by CR LF, a CR LF, lone CR or lone LF inside a line ending a line of its own. Writes
// through its own buffer to file, which it does not own.
class ScriptFileSink : public LineSink {
public:
    explicit ScriptFileSink(std::FILE* file);
    // Writes what is still buffered; errors then go unreported (call flush to see them).
    ~ScriptFileSink() override;
    ScriptFileSink(const ScriptFileSink&) = delete;
    ScriptFileSink& operator=(const ScriptFileSink&) = delete;

    // Throws EInOutError when the file does not take the bytes.
    void appendLine(std::string_view line) override;
    // Hands the buffered bytes to the file (not to the disk). Throws EInOutError.
    void flush();

private:
    void put(std::string_view bytes);

    std::FILE* m_file;
    std::string m_buffer;
};

} // namespace vorendal
