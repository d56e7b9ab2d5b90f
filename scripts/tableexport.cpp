#include "scripts/tableexport.h"

#include "source/ttable.h"

namespace vorendal {

void ExportResult::addNull(std::uint64_t record, const std::string& field) {
    ++nullsWritten;
    if (firstNulls.size() < kListedNulls)
        firstNulls.push_back({record, field});
}

ExportTarget::~ExportTarget() = default;

ExportResult exportRecords(TTable& table, ExportTarget& target, const ExportProgress& progress) {
    ExportResult result;
    target.beginTable(table);
    for (table.First(); !table.Eof(); table.Next()) {
        target.writeRecord(table, ++result.records, result);
        if (result.records % kExportProgressInterval == 0 && progress)
            progress(result.records);
    }
    target.endTable(table, result);
    result.damage = table.damage();
    return result;
}

} // namespace vorendal
