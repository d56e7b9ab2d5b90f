#pragma once

#include <string>
#include <string_view>

namespace vorendal {

// The table name of a table file's path: the characters after the last '/' and before the last
// '.', upper-cased (Windows-1252). Empty when that span is empty or the dot lies before the
// last '/'. "/dados/Clientes.db" gives "CLIENTES"; "/dados/cli.2004.db" gives "CLI.2004".
std::string tableNameFromPath(std::string_view path);

} // namespace vorendal
