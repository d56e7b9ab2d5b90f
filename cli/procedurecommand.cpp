#include "cli/commands.h"
#include "cli/scriptcommand.h"
#include "scripts/procedurescript.h"

namespace vorendal::cli {

int runProcedure(const Options& options, std::FILE* out) {
    return runScriptCommand(
        "procedure", options, out,
        [](TTable& table, const std::string& path, LineSink& sink, const ScriptInputs& inputs) {
            writeProcedureScript(table, path, sink, procedureProfile(inputs));
            return ExportResult{};
        });
}

} // namespace vorendal::cli
