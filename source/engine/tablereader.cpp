#include "source/engine/tablereader.h"

#include <stdexcept>

#include "base/ansi.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine {

bool TableReader::seekStored(std::uint64_t /*from*/, std::uint64_t /*end*/) {
    throw std::logic_error("this table is read in table order only");
}

const TableRules& TableReader::rules() const {
    static const TableRules kNone;
    return kNone;
}

std::unique_ptr<TableReader> openTableReader(const TableFiles& files, const ReadOptions& options) {
    const std::string extension = ansiUpperCase(files.extension());
    if (extension == "DBF")
        return openDbfTable(files, options);
    if (extension == "TXT")
        engineError(errNotTable, "Text tables (.txt) are not read by this engine.",
                    files.mainName());
    return openParadoxTable(files, options);
}

std::unique_ptr<TableReader> openTableReader(std::unique_ptr<TableFiles> files,
                                             const ReadOptions& options) {
    auto reader = openTableReader(*files, options);
    reader->m_files = std::move(files);
    return reader;
}

} // namespace vorendal::engine
