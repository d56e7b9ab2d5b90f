#pragma once

#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/paradox/paradoxheader.h"

namespace vorendal::engine::paradox {

// Reads the validity checks file (.VAL) of a table and returns, per column of table, whether a
// value is required and no default value is given. Returns an empty list (no column required)
// when the file was saved for an older state of the table (its byte 0 differs from the table's
// change counter at 0x2E), has a layout this reader does not know, or does not add up.
// Never throws for the file's content.
std::vector<bool> readParadoxRequiredFlags(const ParadoxHeader& table, const ByteSource& val);

} // namespace vorendal::engine::paradox
