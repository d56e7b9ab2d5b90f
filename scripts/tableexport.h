#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "source/damagereport.h"

namespace vorendal {

class TTable;

// A value that the output could not hold (a date beyond the year 9999, a number beyond its
// column) and wrote as NULL.
struct NullWritten {
    std::uint64_t record = 0; // 1 = the first live record
    std::string field;        // the field's name, in the table's text delivery
};

// What one table's export did, for the caller to print, show or fail on.
struct ExportResult {
    std::uint64_t records = 0;      // live records read, each one written
    std::uint64_t nullsWritten = 0; // values written as NULL because the output cannot hold them
    std::vector<NullWritten> firstNulls; // the first kListedNulls of those, in record order
    DamageReport damage;                 // values that could not be read (read as null)

    static constexpr std::size_t kListedNulls = 1000;
    // Counts a value written as NULL; the list keeps the first ones only, so that a table whose
    // every value is out of range does not grow without bound.
    void addNull(std::uint64_t record, const std::string& field);
};

// Called during an export with the number of records written so far, every
// kExportProgressInterval records. May throw EAbort to stop the export.
using ExportProgress = std::function<void(std::uint64_t records)>;
inline constexpr std::uint64_t kExportProgressInterval = 1024;

// Where the records of an export go: a script, a database. The export reads the table once and
// calls beginTable, writeRecord for every live record in table order, then endTable.
class ExportTarget {
public:
    virtual ~ExportTarget();
    // The table is open; its fields and field and index definitions can be read.
    virtual void beginTable(TTable& table) = 0;
    // The table's fields hold the values of live record number record (1 = the first). A value
    // the target cannot hold is written as NULL and counted in result.
    virtual void writeRecord(TTable& table, std::uint64_t record, ExportResult& result) = 0;
    // After the last record.
    virtual void endTable(TTable& table, ExportResult& result) = 0;

    // A target whose record is one line of text may have its lines made on several threads and
    // written in table order: writeRecord(table, record, result) is then formatRecord into a line
    // followed by writeLine. False (the default): every record goes through writeRecord.
    virtual bool formatsLines() const { return false; }
    // Appends the line of the current record of table (the exported table or an open copy of it,
    // its fields as in beginTable) to line; a value the target cannot hold goes to result. Called
    // on several threads at once, each with its own table, line and result.
    virtual void formatRecord(TTable& table, std::uint64_t record, std::string& line,
                              ExportResult& result) const;
    // Writes the line of record number record, in table order.
    virtual void writeLine(std::string_view line, std::uint64_t record);
};

// Hands every live record of the open table to target, from the first, and returns what
// happened; the damage the table met while reading is part of the result. Leaves the table
// open. Throws what the table, the target and progress throw; the records handed on before
// stay with the target.
// threads: how many threads make the lines, 0 for the machine's cores. With more than one, a
// target that formatsLines() and a table without memo or blob fields of 1,000 records or more
// (or of a count its reader does not know), copies of the table (TTable::openCopy) read the
// records in turns of up to a few thousand, one copy per thread, this thread among them, and this
// thread writes their lines in table order and calls progress: the target gets the same lines,
// progress the same counts and the result the same values as with one thread. What the copies met
// while reading is counted by table (TTable::takeReadsOf); after a failure that may include records
// past the last line written. When writing a line (or progress) throws, the table is left at that
// line's record, as with one thread.
ExportResult exportRecords(TTable& table, ExportTarget& target, const ExportProgress& progress = {},
                           unsigned threads = 0);

} // namespace vorendal
