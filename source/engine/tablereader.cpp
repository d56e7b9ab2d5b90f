#include "source/engine/tablereader.h"

#include "base/ansi.h"

namespace vorendal::engine {

std::unique_ptr<TableReader> openTableReader(const TableFiles& files) {
    if (ansiUpperCase(files.extension()) == "DBF")
        return openDbfTable(files);
    return openParadoxTable(files);
}

} // namespace vorendal::engine
