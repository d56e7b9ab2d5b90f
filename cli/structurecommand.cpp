#include "cli/commands.h"
#include "cli/scriptcommand.h"
#include "scripts/structurescript.h"

namespace vorendal::cli {

int runStructure(const Options& options, std::FILE* out) {
    return runScriptCommand(
        "structure", options, out,
        [](TTable& table, const std::string& path, LineSink& sink, const ScriptInputs& inputs) {
            const std::optional<RulePlan> rules = rulePlanOf(table, path, inputs);
            writeStructureScript(table, path, sink, structureProfile(inputs),
                                 rules ? &*rules : nullptr);
            if (rules)
                writeRules(*rules, path, sink);
            return ExportResult{};
        },
        BetweenTables::Comments);
}

} // namespace vorendal::cli
