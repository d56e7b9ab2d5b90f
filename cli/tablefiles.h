#pragma once

#include <string>
#include <vector>

namespace vorendal::cli {

// The table files that the operands name: a file as it is, a folder as every Paradox (.db) and
// dBASE (.dbf) table in it (any case), sorted by name, with its subfolders' when recursive.
// Paths keep the file system's bytes. An operand that is neither a file nor a folder is named in
// missing.
std::vector<std::string> tableFilesOf(const std::vector<std::string>& operands, bool recursive,
                                      std::vector<std::string>& missing);

} // namespace vorendal::cli
