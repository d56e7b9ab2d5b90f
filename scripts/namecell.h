#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorendal {

// Width of the name cell of the column and parameter lines: the types after it line up in one
// column of the fixed-width script pane.
inline constexpr std::size_t kNameCellWidth = 25;

// Appends the name cell: name, then closing (a double quote, or nothing) and blanks, the whole
// cut to kNameCellWidth characters. A long name loses its closing quote and its tail.
void appendNameCell(std::string& out, std::string_view name, std::string_view closing);

} // namespace vorendal
