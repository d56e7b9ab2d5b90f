#pragma once

#include <string_view>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/dbase/dbfheader.h"
#include "source/engine/dbase/dbftextconverter.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine::dbf {

// The tags of a production .mdx (dBASE IV / 5 / 7), in the order of the file's tag table.
// Never throws: a damaged file gives the tags that could be read.
std::vector<IndexDescription> readMdxIndexes(const ByteSource& file,
                                             const std::vector<DbfField>& fields,
                                             std::string_view tableStem,
                                             const DbfTextConverter& text);

// The tags of a structural .cdx (FoxPro / Visual FoxPro, also Clipper and Harbour CDX drivers),
// in the order they were created (the order of their headers in the file). Never throws: a
// damaged file gives the tags that could be read.
std::vector<IndexDescription> readCdxIndexes(const ByteSource& file,
                                             const std::vector<DbfField>& fields,
                                             std::string_view tableStem,
                                             const DbfTextConverter& text);

} // namespace vorendal::engine::dbf
