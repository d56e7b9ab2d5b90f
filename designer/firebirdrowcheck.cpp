#include "designer/firebirdrowcheck.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "base/ansi.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

// The cells a message repeats are the user's own; a long one is shown by its start.
constexpr std::size_t kShownBytes = 40;

std::string shown(std::string_view cell) {
    const std::size_t end = std::min(cell.find('\0'), kShownBytes);
    std::string text = "\"";
    text += cell.substr(0, end);
    if (cell.size() > end)
        text += "...";
    return text + "\"";
}

[[noreturn]] void refuse(int row, std::string_view name, const std::string& problem) {
    throw Exception("Row " + std::to_string(row) + " (" + shown(name) + "): " + problem);
}

// Plain digits (no sign, no blank) as a number up to max; nothing otherwise.
std::optional<int> wholeNumber(std::string_view text, int max) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::size_t digits = text.find_first_not_of('0');
    if (digits == std::string_view::npos)
        return 0;
    int value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + digits, text.data() + text.size(), value);
    if (error != std::errc() || value > max)
        return std::nullopt;
    return value;
}

bool isNumericSize(std::string_view size) {
    const std::size_t comma = size.find(',');
    const auto precision = wholeNumber(size.substr(0, comma), kFirebirdMaxPrecision);
    if (!precision || *precision < 1)
        return false;
    if (comma == std::string_view::npos)
        return true;
    const auto scale = wholeNumber(size.substr(comma + 1), kFirebirdMaxPrecision);
    return scale && *scale <= *precision;
}

} // namespace

void checkFirebirdDesignerRow(int row, std::string_view name, std::string_view typeCell,
                              std::string_view sizeCell) {
    if (name.find('\0') != std::string_view::npos)
        refuse(row, name, "the name holds a zero byte");
    const std::string type = ansiUpperCase(typeCell);
    const std::string_view size = sizeCell.empty() ? std::string_view("0") : sizeCell;
    const std::string limit = std::to_string(kFirebirdMaxCharacters);
    if (type == "V") {
        const auto length = wholeNumber(size, kFirebirdMaxCharacters);
        if (!length || *length < 1)
            refuse(row, name,
                   "the size " + shown(sizeCell) + " of a V field is no number of 1 to " + limit);
    } else if (type == "C") {
        if (!wholeNumber(size, kFirebirdMaxCharacters))
            refuse(row, name,
                   "the size " + shown(sizeCell) + " of a C field is no number of 0 to " + limit);
    } else if (type == "N") {
        if (!isNumericSize(size))
            refuse(row, name,
                   "the size " + shown(sizeCell) +
                       " of an N field is no precision of 1 to 18, with or without a scale up "
                       "to it after a comma (15,2)");
    } else if (type != "D" && type != "T" && type != "B" && type != "I" && type != "M") {
        refuse(row, name, "the type " + shown(typeCell) + " is none of D, V, T, B, I, M, C, N");
    }
}

} // namespace vorendal
