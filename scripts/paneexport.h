#pragma once

#include <string>

#include "scripts/dataexport.h"

namespace vorendal {

class LineSink;

// "Importar" into the script pane: writeDataExport with the classic profile, one line per record.
// When pane fills up, the rest of the table is counted and the EOutOfResources thrown carries
// the pane's own message, a full stop, a line break and paneFullLine(): how many records of how
// many reached the pane, and the command that writes a table of any size. The table is then
// closed. Every other failure goes on as writeDataExport leaves it.
void writeDataExportToPane(TTable& table, const std::string& path, const RegionalSettings& settings,
                           LineSink& pane, const ExportProgress& progress = {});

} // namespace vorendal
