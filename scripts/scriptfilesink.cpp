#include "scripts/scriptfilesink.h"

#include <cerrno>
#include <cstring>

#include "base/exceptions.h"

namespace vorendal {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

} // namespace

ScriptFileSink::ScriptFileSink(std::FILE* file) : m_file(file) {
    m_buffer.reserve(kBufferSize);
}

ScriptFileSink::~ScriptFileSink() {
    if (!m_buffer.empty())
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
}

void ScriptFileSink::appendLine(std::string_view line) {
    // (an empty line may come without any bytes behind it, which memchr does not take)
    if (line.empty() || (std::memchr(line.data(), '\n', line.size()) == nullptr &&
                         std::memchr(line.data(), '\r', line.size()) == nullptr)) {
        put(line);
        put("\r\n");
        return;
    }
    // the pane turns each CR LF, lone CR and lone LF of a line into a line break of its own
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c != '\r' && c != '\n')
            continue;
        put(line.substr(start, i - start));
        put("\r\n");
        if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    put(line.substr(start));
    put("\r\n");
}

void ScriptFileSink::put(std::string_view bytes) {
    if (m_buffer.size() + bytes.size() > kBufferSize)
        flush();
    if (bytes.size() > kBufferSize) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            throw EInOutError(ioCodeFromErrno(errno));
        return;
    }
    m_buffer.append(bytes);
}

void ScriptFileSink::flush() {
    if (m_buffer.empty())
        return;
    const std::size_t written = std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
    const bool complete = written == m_buffer.size();
    m_buffer.clear();
    if (!complete)
        throw EInOutError(ioCodeFromErrno(errno));
}

} // namespace vorendal
