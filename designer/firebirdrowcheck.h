#pragma once

#include <string_view>

namespace vorendal {

// What Firebird 3 takes in the designer's columns: characters of a CHAR or VARCHAR in UTF-8
// (32,765 bytes at 4 bytes a character) and the digits of a NUMERIC.
inline constexpr int kFirebirdMaxCharacters = 8191;
inline constexpr int kFirebirdMaxPrecision = 18;

// Checks the cells of one named field row (row from 1, 1252 text as the grid holds it) before the
// firebird script uses them, so that nothing but what the grid designs reaches the script. The
// type cell, upper-cased, must be one of the letters D V T B I M C N. The size cell (empty counts
// as "0") must be plain digits for V, 1 to 8191; for C, 0 (no size: one character) to 8191; for
// N a precision of 1 to 18, or a precision and a scale of 0 to the precision written "p,s". D, T,
// B, I and M fix their size themselves and take any. The name must hold no zero byte (isql-fb
// ends a line there, and the rest of it would be read as SQL). Throws Exception naming the row
// and its field otherwise.
void checkFirebirdDesignerRow(int row, std::string_view name, std::string_view typeCell,
                              std::string_view sizeCell);

} // namespace vorendal
