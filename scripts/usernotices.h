#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vorendal {

// The window's own Portuguese texts about what a request could not keep, as Windows-1252 text.

// n with a "." between groups of three digits, as Portuguese writes it: 1.000.000.
std::string groupedCount(std::uint64_t n);

// After a generator run whose table had characters with no Windows-1252 form (written as "?"):
// how many, and that the firebird profile keeps them. Empty when count is 0.
std::string replacedInTableNotice(std::uint64_t count);

// After typing or pasting into the script pane put "?" for characters with no Windows-1252
// form: how many. Empty when count is 0.
std::string replacedInPaneNotice(std::uint64_t count);

// The line added to the pane's capacity error after a data export: how many records of how many
// reached the pane (total: nullopt when the rest of the table could not be counted), and the
// command that writes a table of any size.
std::string paneFullLine(std::uint64_t appended, std::optional<std::uint64_t> total);

} // namespace vorendal
