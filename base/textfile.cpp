#include "textfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exceptions.h"

namespace vorendal {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr char kControlZ = 26;

bool folderExists(const std::filesystem::path& path) {
    std::error_code ec;
    const auto parent = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    return std::filesystem::is_directory(parent, ec);
}

} // namespace

void throwIoError(int errnoValue, const std::filesystem::path& path) {
    if (errnoValue == ENOENT && !folderExists(path))
        throw EInOutError(3);
    throw EInOutError(ioCodeFromErrno(errnoValue));
}

TextFileWriter::TextFileWriter(const std::filesystem::path& path) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        throwIoError(errno, path);
    m_buffer.reserve(kBufferSize);
}

TextFileWriter::~TextFileWriter() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void TextFileWriter::write(std::string_view bytes) {
    if (m_fd < 0)
        throw EInOutError(103); // file not open
    if (m_buffer.size() + bytes.size() > kBufferSize)
        flush();
    if (bytes.size() >= kBufferSize) {
        m_buffer.append(bytes);
        flush();
        return;
    }
    m_buffer.append(bytes);
}

void TextFileWriter::writeLine(std::string_view line) {
    write(line);
    write("\r\n");
}

void TextFileWriter::flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            m_buffer.clear();
            ::close(m_fd);
            m_fd = -1;
            throw EInOutError(ioCodeFromErrno(err));
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
}

void TextFileWriter::close() {
    if (m_fd < 0)
        return;
    flush();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw EInOutError(ioCodeFromErrno(errno));
}

TextFileReader::TextFileReader(const std::filesystem::path& path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throwIoError(errno, path);
    struct stat st {};
    if (::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw EInOutError(5);
    }
}

TextFileReader::~TextFileReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void TextFileReader::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_end = true;
}

bool TextFileReader::fill() {
    if (m_end || m_fd < 0)
        return false;
    m_buffer.resize(kBufferSize);
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buffer.data(), kBufferSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            m_buffer.clear();
            m_pos = 0;
            throw EInOutError(ioCodeFromErrno(err));
        }
        m_buffer.resize(static_cast<std::size_t>(n));
        m_pos = 0;
        if (n == 0)
            m_end = true;
        return n > 0;
    }
}

int TextFileReader::peekByte() {
    if (m_pos >= m_buffer.size() && !fill())
        return -1;
    const char c = m_buffer[m_pos];
    if (c == kControlZ) {
        m_end = true;
        m_buffer.clear();
        m_pos = 0;
        return -1;
    }
    return static_cast<unsigned char>(c);
}

bool TextFileReader::atEnd() {
    return peekByte() < 0;
}

std::string TextFileReader::readLine() {
    std::string line;
    for (;;) {
        const int c = peekByte();
        if (c < 0)
            return line;
        ++m_pos;
        if (c == '\n')
            return line;
        if (c == '\r') {
            if (peekByte() == '\n') {
                ++m_pos;
                return line;
            }
            continue; // a CR on its own is dropped
        }
        line += static_cast<char>(c);
    }
}

} // namespace vorendal
