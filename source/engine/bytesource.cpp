#include "source/engine/bytesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ansi.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine {
namespace {

std::string upper(const std::string& s) {
    return ansiUpperCase(s);
}

// File names are UTF-8 on disk; names are compared and reported as 1252 text.
std::string ansiName(const std::filesystem::path& p) {
    return utf8ToAnsi(p.string());
}

std::string extensionOf(const std::filesystem::path& p) {
    std::string ext = utf8ToAnsi(p.extension().string());
    return ext.empty() ? ext : ext.substr(1);
}

} // namespace

FileByteSource::FileByteSource(const std::filesystem::path& path) : m_path(path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            engineError(errNotFound, "Table file does not exist.", ansiName(path));
        engineError(errAccess,
                    std::string("Cannot open the table file: ") + std::strerror(err) + ".",
                    ansiName(path));
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        engineError(errNotTable, "The path does not name a table file.", ansiName(path));
    }
    m_size = static_cast<std::uint64_t>(st.st_size);
    if (lockedByAnotherProgram()) {
        ::close(m_fd);
        m_fd = -1;
        engineError(errLocked, "The table is locked by another program.", ansiName(path));
    }
}

bool FileByteSource::lockedByAnotherProgram() const {
    // Only a write lock over the whole file counts: programs that share a table lock single
    // records or regions past its end, and those do not stop a reader.
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    if (::fcntl(m_fd, F_GETLK, &probe) != 0 || probe.l_type != F_WRLCK)
        return false;
    return probe.l_start == 0 &&
           (probe.l_len == 0 || static_cast<std::uint64_t>(probe.l_len) >= m_size);
}

std::string FileByteSource::name() const {
    return ansiName(m_path);
}

FileByteSource::~FileByteSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileByteSource::read(std::uint64_t offset, void* out, std::size_t length) const {
    if (offset > m_size || length > m_size - offset)
        return false;
    auto* dst = static_cast<char*>(out);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(m_fd, dst + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool MemoryByteSource::read(std::uint64_t offset, void* out, std::size_t length) const {
    const std::uint64_t size = m_bytes->size();
    if (offset > size || length > size - offset)
        return false;
    if (length > 0)
        std::memcpy(out, m_bytes->data() + offset, length);
    return true;
}

DiskTableFiles::DiskTableFiles(std::filesystem::path path) : m_path(std::move(path)) {}

std::unique_ptr<ByteSource> DiskTableFiles::main() const {
    return std::make_unique<FileByteSource>(m_path);
}

std::filesystem::path DiskTableFiles::findCompanion(const std::string& extension) const {
    const std::string wantedStem = upper(ansiName(m_path.stem()));
    const std::string wantedExt = upper(extension);
    std::filesystem::path caseMatch;
    std::error_code ec;
    const auto folder = m_path.has_parent_path() ? m_path.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& p = it->path();
        if (upper(ansiName(p.stem())) != wantedStem || upper(extensionOf(p)) != wantedExt)
            continue;
        if (p.filename() == m_path.filename())
            continue;
        if (p.stem() == m_path.stem())
            return p; // same spelling of the base name: the best match
        if (caseMatch.empty())
            caseMatch = p;
    }
    return caseMatch;
}

std::unique_ptr<ByteSource> DiskTableFiles::companion(const std::string& extension) const {
    const auto p = findCompanion(extension);
    if (p.empty())
        return nullptr;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec))
        return nullptr;
    return std::make_unique<FileByteSource>(p);
}

std::vector<std::string> DiskTableFiles::companionExtensions() const {
    std::vector<std::string> found;
    const std::string wantedStem = upper(ansiName(m_path.stem()));
    std::error_code ec;
    const auto folder = m_path.has_parent_path() ? m_path.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& p = it->path();
        if (p.filename() == m_path.filename() || upper(ansiName(p.stem())) != wantedStem)
            continue;
        const std::string ext = extensionOf(p);
        if (!ext.empty())
            found.push_back(ext);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string DiskTableFiles::mainName() const {
    return ansiName(m_path);
}

std::string DiskTableFiles::extension() const {
    return extensionOf(m_path);
}

MemoryTableFiles::MemoryTableFiles(std::string baseName, std::string extension,
                                   std::string mainBytes)
    : m_baseName(std::move(baseName)), m_extension(std::move(extension)),
      m_main(std::make_shared<const std::string>(std::move(mainBytes))) {}

void MemoryTableFiles::addCompanion(const std::string& extension, std::string bytes) {
    m_companions[upper(extension)] = std::make_shared<const std::string>(std::move(bytes));
}

std::unique_ptr<ByteSource> MemoryTableFiles::main() const {
    return std::make_unique<MemoryByteSource>(m_main, mainName());
}

std::unique_ptr<ByteSource> MemoryTableFiles::companion(const std::string& extension) const {
    const auto it = m_companions.find(upper(extension));
    if (it == m_companions.end())
        return nullptr;
    return std::make_unique<MemoryByteSource>(it->second, m_baseName + "." + extension);
}

std::vector<std::string> MemoryTableFiles::companionExtensions() const {
    std::vector<std::string> found;
    for (const auto& entry : m_companions)
        found.push_back(entry.first);
    return found;
}

} // namespace vorendal::engine
