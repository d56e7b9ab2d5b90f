#pragma once

#include <string>
#include <string_view>

namespace vorendal {

// The table name of a table file's path: the characters after the last '/' and before the last
// '.', upper-cased (Windows-1252). Empty when that span is empty or the dot lies before the
// last '/'. "/dados/Clientes.db" gives "CLIENTES"; "/dados/cli.2004.db" gives "CLI.2004".
// path: the file system's own bytes, as the file list and the command line give them; UTF-8 is
// converted to 1252, and a character 1252 lacks, or a byte that is not UTF-8, becomes '?'.
std::string tableNameFromPath(std::string_view path);

} // namespace vorendal
