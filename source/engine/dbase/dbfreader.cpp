#include "source/engine/dbase/dbftablereader.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine {

std::unique_ptr<TableReader> openDbfTable(const TableFiles& files, const ReadOptions& options) {
    return std::make_unique<dbf::DbfTableReader>(files, options);
}

} // namespace vorendal::engine
