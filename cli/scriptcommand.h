#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "cli/options.h"
#include "scripts/dataexport.h"
#include "scripts/procedurescript.h"
#include "scripts/regionalsettings.h"
#include "scripts/ruleplan.h"
#include "scripts/structurescript.h"

namespace vorendal {
class LineSink;
class TTable;
} // namespace vorendal

namespace vorendal::cli {

// What a script command hands the generators besides the table and its path.
struct ScriptInputs {
    RegionalSettings settings;
    ExportProgress progress; // empty when no progress is shown
    bool firebird = false;   // --firebird: the firebird profile, the table read in UTF-8
    unsigned threads = 0;    // --threads: threads making the data lines (0: the cores)
};

// Writes one table's scripts to sink, as the window's buttons append them to the pane, and
// returns what its data export did (nothing for scripts without data).
using ScriptWriter = ExportResult (*)(TTable& table, const std::string& path, LineSink& sink,
                                      const ScriptInputs& inputs);

// Names on standard error each value of the table written as NULL because the output cannot hold
// it (tableName: as the script names the table, UTF-8).
void reportNullsWritten(std::string_view tableName, const ExportResult& result);
void reportNullsWritten(std::string_view tableName, const std::vector<NullWritten>& firstNulls,
                        std::uint64_t nullsWritten);

// --threads N, 1 to 64; 0 (the cores) without it. Throws UsageError for anything else.
unsigned threadsOf(const Options& options);

// The profile of each script that the options chose: classic, or firebird with --firebird.
const StructureScriptProfile& structureProfile(const ScriptInputs& inputs);
const ProcedureScriptProfile& procedureProfile(const ScriptInputs& inputs);
const DataExportProfile& dataExportProfile(const ScriptInputs& inputs);

// With --firebird, the rules of the table file at path as its script carries them (read from the
// table and checked against its records); nullopt for the classic output, which has none.
std::optional<RulePlan> rulePlanOf(TTable& table, const std::string& path,
                                   const ScriptInputs& inputs);
// Appends the lines that carry the rules after the table's rows, and warns on standard error of
// each rule not carried (path: the table file).
void writeRules(const RulePlan& rules, const std::string& path, LineSink& sink);

// Runs write for each table named by the operands, in order, into out: the bytes that saving the
// script pane would write (Windows-1252, CR LF; UTF-8 with --firebird). An error is shown on
// standard error as the window's error display would show it; the command then goes on with the
// next table and returns
// 1. With standard error on a terminal, a progress line shows there while the data is exported.
// Values written as NULL because the output cannot hold them are named on standard error after
// each table.
// What a firebird script does with the references and lookups between the tables it writes.
enum class BetweenTables : std::uint8_t {
    Nothing,     // a script without rows: nothing
    Comments,    // a structure script: a comment each (made without the rows, a foreign key would
                 // refuse the rows of a child loaded before its parent)
    ForeignKeys, // a script with the rows: the foreign keys after the last table
};

// betweenTables: with --firebird, what is written after the last table about the references
// and lookups between the tables written (each one not carried is commented and warned about).
int runScriptCommand(const char* command, const Options& options, std::FILE* out,
                     ScriptWriter write, BetweenTables betweenTables = BetweenTables::Nothing);

} // namespace vorendal::cli
