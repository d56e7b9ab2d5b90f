#include "cli/commands.h"
#include "cli/scriptcommand.h"
#include "scripts/dataexport.h"
#include "scripts/procedurescript.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"

namespace vorendal::cli {

int runAll(const Options& options, std::FILE* out) {
    // the three scripts of a table in the order they are run against the database; a failure
    // skips the table's remaining scripts
    return runScriptCommand(
        "all", options, out,
        [](TTable& table, const std::string& path, LineSink& sink, const ScriptInputs& inputs) {
            writeStructureScript(table, path, sink, structureProfile(inputs));
            writeProcedureScript(table, path, sink, procedureProfile(inputs));
            return writeDataExport(table, path, inputs.settings, sink, inputs.progress,
                                   dataExportProfile(inputs), inputs.threads);
        });
}

} // namespace vorendal::cli
