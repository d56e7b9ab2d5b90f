#include "exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace vorendal {

EInOutError::EInOutError(int code) : Exception(ioErrorMessage(code)), m_code(code) {}

EDBEngineError::EDBEngineError(std::uint16_t code, const std::string& text,
                               const std::vector<std::string>& context)
    : EDatabaseError(composeMessage(code, text, context)), m_code(code) {}

std::string EDBEngineError::composeMessage(std::uint16_t code, const std::string& text,
                                           const std::vector<std::string>& context) {
    std::vector<std::string> lines;
    if (!text.empty())
        lines.push_back(text);
    for (const auto& entry : context) {
        if (!entry.empty() && std::find(lines.begin(), lines.end(), entry) == lines.end())
            lines.push_back(entry);
    }
    if (lines.empty()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
        return hex;
    }
    std::string message = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i)
        message += "\n" + lines[i];
    return message;
}

std::string displayText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

std::string ioErrorMessage(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 100:
        return "Read beyond end of file";
    case 101:
        return "Disk full";
    case 106:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int ioCodeFromErrno(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return 5;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return 32;
    case ENOSPC:
    case EDQUOT:
        return 112;
    default:
        return errnoValue;
    }
}

} // namespace vorendal
