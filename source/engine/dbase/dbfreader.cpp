#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine {

std::unique_ptr<TableReader> openDbfTable(const TableFiles& files) {
    engineError(errVersion, "dBASE tables are not read yet.", files.mainName());
}

} // namespace vorendal::engine
