#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vorendal {

// Every text file of the system goes through these two classes: 1252 bytes, each line ended by
// CR LF, no header, no byte-order mark. Failures raise EInOutError with the code of the failed
// call (see ioCodeFromErrno). The file is released when the object goes, on every path.

class TextFileWriter {
public:
    // Creates the file, or empties an existing one. Throws EInOutError.
    explicit TextFileWriter(const std::filesystem::path& path);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Writes the bytes of the line, then CR LF. Throws EInOutError.
    void writeLine(std::string_view line);
    // Writes the bytes as they are. Throws EInOutError.
    void write(std::string_view bytes);
    // Writes what is buffered and closes the file. Throws EInOutError; the file is released
    // all the same.
    void close();

private:
    void flush();

    int m_fd = -1;
    std::string m_buffer;
};

class TextFileReader {
public:
    // Opens the file for reading. Throws EInOutError.
    explicit TextFileReader(const std::filesystem::path& path);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // True once the end of the file (or a byte 26, control-Z) has been reached.
    bool atEnd();
    // Reads one line. A line ends at LF or CR LF; a CR not followed by LF is dropped from the
    // text; a byte 26 ends the file. At the end of the file it yields "" without an error.
    // A line may be of any length. Throws EInOutError on a failed read.
    std::string readLine();
    void close();

private:
    bool fill();
    int peekByte();

    int m_fd = -1;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_end = false;
};

// The text-file error of a failed call on path, from the current errno: a missing folder on the
// way to the file gives 3 ("Invalid filename") rather than 2.
[[noreturn]] void throwIoError(int errnoValue, const std::filesystem::path& path);

} // namespace vorendal
