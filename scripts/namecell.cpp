#include "scripts/namecell.h"

#include <algorithm>

namespace vorendal {

void appendNameCell(std::string& out, std::string_view name, std::string_view closing) {
    std::size_t left = kNameCellWidth;
    const std::size_t fromName = std::min(name.size(), left);
    out.append(name.substr(0, fromName));
    left -= fromName;
    const std::size_t fromClosing = std::min(closing.size(), left);
    out.append(closing.substr(0, fromClosing));
    left -= fromClosing;
    out.append(left, ' ');
}

} // namespace vorendal
