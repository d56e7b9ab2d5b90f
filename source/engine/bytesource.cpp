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

// File names are the file system's bytes (UTF-8 as a rule); messages show their 1252 form.
std::string ansiName(const std::filesystem::path& p) {
    return utf8ToAnsi(p.native());
}

// A name part in the form used to compare names without regard to case. Names that 1252 holds
// whole compare by their upper-cased 1252 form; any other name (bytes that are not UTF-8,
// letters 1252 lacks) only by its exact bytes, so that two such names never pass for one.
std::string nameKey(const std::string& bytes) {
    const std::string ansi = utf8ToAnsi(bytes);
    if (ansiToUtf8(ansi) == bytes)
        return "A" + ansiUpperCase(ansi);
    return "B" + bytes;
}

std::string extensionOf(const std::filesystem::path& p) {
    std::string ext = ansiName(p.extension());
    return ext.empty() ? ext : ext.substr(1);
}

[[noreturn]] void notATableFile(const std::filesystem::path& path) {
    engineError(errNotTable, "The path does not name a table file.", ansiName(path));
}

} // namespace

FileByteSource::FileByteSource(const std::filesystem::path& path) : m_path(path) {
    // The type is checked before the file is opened: opening a FIFO waits for a writer, and
    // opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        notATableFile(path);
    // O_NONBLOCK as well, for a file swapped for a FIFO between the check and the opening.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (m_fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            engineError(errNotFound, "Table file does not exist.", ansiName(path));
        engineError(errAccess,
                    std::string("Cannot open the table file: ") + std::strerror(err) + ".",
                    ansiName(path));
    }
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        notATableFile(path);
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

const std::vector<DiskTableFiles::Companion>& DiskTableFiles::companions() const {
    if (m_companions)
        return *m_companions;
    m_companions.emplace();
    const std::string stem = m_path.stem().native();
    const std::string stemKey = nameKey(stem);
    const std::string tableName = m_path.filename().native();
    const auto folder = m_path.has_parent_path() ? m_path.parent_path() : ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& p = it->path();
        const std::string name = p.filename().native();
        // cheap test first: a companion's name is the table's base name, a dot, an extension
        if (name.size() <= stem.size() || name[stem.size()] != '.' || name == tableName)
            continue;
        const auto entryStem = p.stem();
        if (entryStem.native().size() != stem.size() || nameKey(entryStem.native()) != stemKey)
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue; // folders, FIFOs, devices: never opened
        const std::string ext = extensionOf(p);
        if (!ext.empty())
            m_companions->push_back(
                {p, ext, nameKey(p.extension().native()), entryStem.native() == stem});
    }
    // A stable order whatever the folder's: the exact spelling of the base name first.
    std::sort(m_companions->begin(), m_companions->end(), [](const auto& a, const auto& b) {
        if (a.sameSpelling != b.sameSpelling)
            return a.sameSpelling;
        return a.path.native() < b.path.native();
    });
    return *m_companions;
}

std::unique_ptr<ByteSource> DiskTableFiles::companion(const std::string& extension) const {
    const std::string key = nameKey(ansiToUtf8("." + extension));
    for (const Companion& c : companions()) {
        if (c.extensionKey == key)
            return std::make_unique<FileByteSource>(c.path);
    }
    return nullptr;
}

std::vector<std::string> DiskTableFiles::companionExtensions() const {
    std::vector<std::string> found;
    for (const Companion& c : companions())
        found.push_back(c.extension);
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
    m_companions[ansiUpperCase(extension)] = std::make_shared<const std::string>(std::move(bytes));
}

std::unique_ptr<ByteSource> MemoryTableFiles::main() const {
    return std::make_unique<MemoryByteSource>(m_main, mainName());
}

std::unique_ptr<ByteSource> MemoryTableFiles::companion(const std::string& extension) const {
    const auto it = m_companions.find(ansiUpperCase(extension));
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
