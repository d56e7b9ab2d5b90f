#pragma once

#include <string_view>

namespace vorendal {

// Where the generators write their script, one line at a time. The line is Windows-1252 text;
// a CR LF inside it makes several lines. Implementations may throw EOutOfResources when full.
class LineSink {
public:
    virtual ~LineSink();
    virtual void appendLine(std::string_view line) = 0;
};

} // namespace vorendal
