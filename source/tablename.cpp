#include "source/tablename.h"

#include "base/ansi.h"

namespace vorendal {

std::string tableNameFromPath(std::string_view pathBytes) {
    const std::string path = utf8ToAnsi(pathBytes);
    // Positions counted from 1; 0 when the character does not occur.
    std::size_t lastSeparator = 0;
    std::size_t lastDot = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '/')
            lastSeparator = i + 1;
        else if (path[i] == '.')
            lastDot = i + 1;
    }
    if (lastDot <= lastSeparator + 1)
        return {};
    return ansiUpperCase(std::string_view(path).substr(lastSeparator, lastDot - lastSeparator - 1));
}

} // namespace vorendal
