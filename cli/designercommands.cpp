#include <cstdio>
#include <string>

#include "base/ansi.h"
#include "cli/commands.h"
#include "designer/designergrid.h"
#include "designer/designerscript.h"
#include "designer/tabledefinition.h"

namespace vorendal::cli {
namespace {

// Reads DEFINITION.tab into a grid and writes the script the designer's button would write to
// NAME.SQL, byte for byte, to out; with --firebird, the script for Firebird 3+ instead.
int runDesignerScript(DesignerScript kind, const char* command, const Options& options,
                      std::FILE* out) {
    if (options.operands.size() != 2)
        throw UsageError(std::string(command) + " needs DEFINITION.tab and NAME");
    DesignerGrid grid;
    if (readTableDefinition(grid, options.operands[0]).rowsLeftOut)
        std::fprintf(stderr,
                     "vorendal-cli: warning: %s: the definition holds more than %d rows; only the "
                     "first %d are used.\n",
                     options.operands[0].c_str(), DesignerGrid::kDesignRows,
                     DesignerGrid::kDesignRows);
    // Arguments arrive as UTF-8; the grid and the table name are 1252 like the window's, and
    // the profile decides the script's encoding.
    const std::string tableName = utf8ToAnsi(options.operands[1]);
    // A name 1252 cannot hold would reach the script as question marks, another table's name.
    if (ansiToUtf8(tableName) != options.operands[1])
        throw UsageError(std::string(command) + ": NAME holds characters outside Windows-1252");
    const bool written = writeDesignerScript(
        kind, grid, tableName,
        [out](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), out);
            std::fwrite("\r\n", 1, 2, out);
        },
        options.firebird ? firebirdDesignerProfile() : classicDesignerProfile());
    if (!written) {
        reportError(std::string(kMissingTableNameMessage));
        return 1;
    }
    return 0;
}

} // namespace

int runCreate(const Options& options, std::FILE* out) {
    return runDesignerScript(DesignerScript::createTable, "create", options, out);
}

int runAlter(const Options& options, std::FILE* out) {
    return runDesignerScript(DesignerScript::alterTable, "alter", options, out);
}

} // namespace vorendal::cli
