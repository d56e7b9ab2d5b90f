#include "source/engine/tablereader.h"

#include "base/ansi.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine {

std::unique_ptr<TableReader> openTableReader(const TableFiles& files) {
    const std::string extension = ansiUpperCase(files.extension());
    if (extension == "DBF")
        return openDbfTable(files);
    if (extension == "TXT")
        engineError(errNotTable, "Text tables (.txt) are not read by this engine.",
                    files.mainName());
    return openParadoxTable(files);
}

} // namespace vorendal::engine
