#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorendal::firebird {

// Firebird 3 keeps names of at most 31 bytes (UTF-8).
inline constexpr std::size_t kMaxNameBytes = 31;

// The UTF-8 text with its Latin, Greek and Cyrillic letters upper-cased (final sigma included);
// every other character stays.
std::string upperCaseUtf8(std::string_view utf8);

// name when it fits in kMaxNameBytes; else its first bytes, cut at a character boundary, with tag
// after them so that the whole fits.
std::string fitName(std::string_view name, std::string_view tag);
// "_" and six hexadecimal digits of a hash of name: the tag of names that have no number.
std::string hashTag(std::string_view name);

// Column names that do not fit get "_" and their field number (1 = first field): no two
// shortened names can meet, and the same table always gives the same names.
void fitColumnNames(std::vector<std::string>& names);
// The procedure's parameters: "c" and the column name, shortened the same way.
void parameterNames(std::vector<std::string>& names);

// The table's name of a table file's path (1252 text): the base name upper-cased as the classic
// scripts do it, in UTF-8, shortened with its hash tag.
std::string tableName(std::string_view path);
// "IN_" and the table name, shortened with the hash tag of the whole.
std::string procedureName(std::string_view tableName);
// "<table>_IX<position + 1>", the table part shortened so that the number always stays.
std::string indexName(std::string_view tableName, int position);
// "<table>_<kind><number>" (kind "CK" for a check, "FK" for a foreign key; number from 1), the
// table part shortened so that the kind and number always stay.
std::string constraintName(std::string_view tableName, std::string_view kind, int number);

} // namespace vorendal::firebird
