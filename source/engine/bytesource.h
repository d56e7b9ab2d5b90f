#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorendal::engine {

// Random-access bytes of one file, read-only. Readers check every offset against size() before
// they read; read() itself also refuses to go past the end.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies length bytes from offset into out. Returns false (and copies nothing) when the range
    // does not lie wholly inside the file or the read fails.
    virtual bool read(std::uint64_t offset, void* out, std::size_t length) const = 0;
    // Name for messages (the file's path, or a label for bytes in memory).
    virtual std::string name() const = 0;
};

// A table file and its companions (memo, index, validity files), which share its base name and
// differ in extension.
class TableFiles {
public:
    virtual ~TableFiles() = default;
    // The table file itself; nullptr when it does not exist.
    virtual std::unique_ptr<ByteSource> main() const = 0;
    // The companion with this extension (without the dot, compared without regard to case);
    // nullptr when there is none.
    virtual std::unique_ptr<ByteSource> companion(const std::string& extension) const = 0;
    // Extensions (as spelled on disk, without the dot) of every companion present, main excluded.
    virtual std::vector<std::string> companionExtensions() const = 0;
    // The table file's extension without the dot, as spelled.
    virtual std::string extension() const = 0;
    // Name of the table file for messages.
    virtual std::string mainName() const = 0;
};

// The file at a path, read with pread; the file is held open for the object's life.
class FileByteSource : public ByteSource {
public:
    // path: the file system's own bytes. Throws EDBEngineError when the file cannot be opened,
    // is not a regular file (a folder, a FIFO, a device: refused before it is opened, so that
    // nothing waits for a writer) or another program holds a write lock over all of it. The file
    // is only ever read: read-only files and media are fine.
    explicit FileByteSource(const std::filesystem::path& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* out, std::size_t length) const override;
    std::string name() const override;

private:
    bool lockedByAnotherProgram() const;

    std::filesystem::path m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// Bytes held in memory (tests, fuzzers).
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(std::shared_ptr<const std::string> bytes, std::string name)
        : m_bytes(std::move(bytes)), m_name(std::move(name)) {}
    std::uint64_t size() const override { return m_bytes->size(); }
    bool read(std::uint64_t offset, void* out, std::size_t length) const override;
    std::string name() const override { return m_name; }

private:
    std::shared_ptr<const std::string> m_bytes;
    std::string m_name;
};

// A table file on disk; companions are looked up beside it, extension compared without case.
// The folder is read once, at the first companion lookup, whatever it holds; only regular files
// count as companions.
class DiskTableFiles : public TableFiles {
public:
    // path: the file system's own bytes, never converted; names in messages are their 1252 form.
    explicit DiskTableFiles(std::filesystem::path path);
    std::unique_ptr<ByteSource> main() const override;
    std::unique_ptr<ByteSource> companion(const std::string& extension) const override;
    std::vector<std::string> companionExtensions() const override;
    std::string extension() const override;
    std::string mainName() const override;

private:
    struct Companion {
        std::filesystem::path path;
        std::string extension;    // 1252 form, as spelled
        std::string extensionKey; // for comparing without case
        bool sameSpelling;        // base name spelled exactly as the table's
    };
    const std::vector<Companion>& companions() const;

    std::filesystem::path m_path;
    mutable std::optional<std::vector<Companion>> m_companions;
};

// A table and its companions held in memory, keyed by extension (without the dot).
class MemoryTableFiles : public TableFiles {
public:
    MemoryTableFiles(std::string baseName, std::string extension, std::string mainBytes);
    void addCompanion(const std::string& extension, std::string bytes);
    std::unique_ptr<ByteSource> main() const override;
    std::unique_ptr<ByteSource> companion(const std::string& extension) const override;
    std::vector<std::string> companionExtensions() const override;
    std::string extension() const override { return m_extension; }
    std::string mainName() const override { return m_baseName + "." + m_extension; }

private:
    std::string m_baseName;
    std::string m_extension;
    std::shared_ptr<const std::string> m_main;
    std::map<std::string, std::shared_ptr<const std::string>> m_companions; // upper-case keys
};

} // namespace vorendal::engine
