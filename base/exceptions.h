#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorendal {

// Base of every failure the system raises. The message is ANSI (Windows-1252) text and is shown
// to the user as it stands (the error display adds the closing full stop).
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// A silent abort: the error display drops it without showing anything.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// A failed text-file operation. The code selects the message (see ioErrorMessage).
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    int errorCode() const { return m_code; }

private:
    int m_code;
};

// A failure of the table source that is not the engine's (empty path, open dataset).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A failure reported by the table engine. The message is the engine's text followed, each on a
// line of its own, by the context entries (such as the file concerned); a context line equal to
// an earlier line is left out. With no text at all the message is the code as four hex digits.
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(std::uint16_t code, const std::string& text,
                   const std::vector<std::string>& context = {});
    std::uint16_t errorCode() const { return m_code; }

    static std::string composeMessage(std::uint16_t code, const std::string& text,
                                      const std::vector<std::string>& context);

private:
    std::uint16_t m_code;
};

// A resource ran out (the script pane's capacity).
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// The text the error display shows for a message: a "." is appended when the message is not
// empty and its last byte sorts after "." (so "Disk full" gets one, "Done." and "Wait!" do not).
std::string displayText(const std::string& message);

// Message of a text-file error code: "File not found" (2), "Invalid filename" (3),
// "Too many open files" (4), "File access denied" (5), "Read beyond end of file" (100),
// "Disk full" (101), "Invalid numeric input" (106), else "I/O error <code>".
std::string ioErrorMessage(int code);

// Maps an errno value of this platform onto the text-file error codes: the counterparts of the
// old codes where one exists (2, 3, 4, 5, 32, 112), else the errno value itself.
int ioCodeFromErrno(int errnoValue);

} // namespace vorendal
