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
            // the rules are checked against the rows before any is written, and the ones the
            // rows keep are made after them
            const std::optional<RulePlan> rules = rulePlanOf(table, path, inputs);
            writeStructureScript(table, path, sink, structureProfile(inputs),
                                 rules ? &*rules : nullptr);
            writeProcedureScript(table, path, sink, procedureProfile(inputs));
            ExportResult result =
                writeDataExport(table, path, inputs.settings, sink, inputs.progress,
                                dataExportProfile(inputs), inputs.threads);
            if (rules)
                writeRules(*rules, path, sink);
            return result;
        },
        BetweenTables::ForeignKeys);
}

} // namespace vorendal::cli
