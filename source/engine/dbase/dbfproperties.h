#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "source/engine/dbase/dbfheader.h"

namespace vorendal::engine::dbf {

// dBASE 7: reads the field-properties block that may follow the descriptor terminator (header
// holds the whole table header; start is the offset right after the 0x0D) and marks as required
// every field that has a "required" property and no "default" property. A block that does not
// fit the header is ignored: the fields then stay not required.
void applyDbase7Properties(std::string_view header, std::size_t start,
                           std::vector<DbfField>& fields);

} // namespace vorendal::engine::dbf
