#pragma once

namespace vorendal {
class TTable;
struct StructureLines;
} // namespace vorendal

namespace vorendal::loader {

class Session;

// Reads every row of the loaded table back in its natural order (the order the rows went in)
// beside every record of table (open, read as for the load) and compares every value in the
// form the load wrote it: the same bytes, the same nulls, blobs whole. Throws LoadError naming
// the first record and column that differ, or the count that does not match.
void verifyRows(Session& session, TTable& table, const StructureLines& lines);

} // namespace vorendal::loader
