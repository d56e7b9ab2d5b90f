#include "cli/commands.h"
#include "cli/scriptcommand.h"
#include "scripts/dataexport.h"

namespace vorendal::cli {

int runData(const Options& options, std::FILE* out) {
    return runScriptCommand(
        "data", options, out,
        [](TTable& table, const std::string& path, LineSink& sink, const ScriptInputs& inputs) {
            return writeDataExport(table, path, inputs.settings, sink, inputs.progress,
                                   dataExportProfile(inputs), inputs.threads);
        });
}

} // namespace vorendal::cli
