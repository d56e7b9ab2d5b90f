#pragma once

#include <string>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/paradox/paradoxheader.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine::paradox {

// True for the extensions of secondary-index data files: Xnn (nn two hex or decimal digits)
// and XGn, in any letter case.
bool isSecondaryIndexExtension(const std::string& extension);

// The index definitions of a table: the primary index first when the table is keyed (its first
// keyFieldCount columns, options primary and unique), then one definition per secondary-index
// data file found among the table's companions, in the order of their upper-cased extensions
// (X01 ... X0F, X10 ..., then XG0, XG1 ...). columnNames are the reported (Windows-1252) names of
// the table's columns. An index file that is missing, damaged or does not match the table's
// columns is left out: it never stops the table from opening.
std::vector<IndexDescription> readParadoxIndexes(const ParadoxHeader& table,
                                                 const std::vector<std::string>& columnNames,
                                                 const TableFiles& files);

} // namespace vorendal::engine::paradox
