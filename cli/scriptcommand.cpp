#include "cli/scriptcommand.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <unistd.h>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "cli/damage.h"
#include "cli/describe.h"
#include "cli/localeoption.h"
#include "firebird/firebirdnames.h"
#include "scripts/foreignkeys.h"
#include "scripts/scriptfilesink.h"
#include "source/ttable.h"

namespace vorendal::cli {
namespace {

// "TABLE: N registros" on standard error, rewritten in place a few times a second.
class ProgressLine {
public:
    explicit ProgressLine(std::string table) : m_table(std::move(table)) {}
    ~ProgressLine() {
        if (m_shown)
            std::fputc('\n', stderr);
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(std::uint64_t records) {
        const auto now = std::chrono::steady_clock::now();
        if (m_shown && now - m_last < std::chrono::milliseconds(200))
            return;
        m_last = now;
        m_shown = true;
        std::fprintf(stderr, "\r%s: %llu registros", m_table.c_str(),
                     static_cast<unsigned long long>(records));
        std::fflush(stderr);
    }

private:
    std::string m_table;
    std::chrono::steady_clock::time_point m_last;
    bool m_shown = false;
};

} // namespace

unsigned threadsOf(const Options& options) {
    if (!options.threads)
        return 0;
    return countFrom1To64(*options.threads, "--threads takes a number");
}

void reportNullsWritten(std::string_view tableName, const ExportResult& result) {
    reportNullsWritten(tableName, result.firstNulls, result.nullsWritten);
}

void reportNullsWritten(std::string_view tableName, const std::vector<NullWritten>& firstNulls,
                        std::uint64_t nullsWritten) {
    const auto name = static_cast<int>(tableName.size());
    for (const NullWritten& null : firstNulls)
        std::fprintf(stderr,
                     "vorendal-cli: warning: %.*s, record %llu, field %s: a value Firebird cannot "
                     "hold, written as NULL\n",
                     name, tableName.data(), static_cast<unsigned long long>(null.record),
                     null.field.c_str());
    if (nullsWritten > firstNulls.size())
        std::fprintf(stderr,
                     "vorendal-cli: warning: %.*s: %llu more values Firebird cannot hold, written "
                     "as NULL\n",
                     name, tableName.data(),
                     static_cast<unsigned long long>(nullsWritten - firstNulls.size()));
}

const StructureScriptProfile& structureProfile(const ScriptInputs& inputs) {
    return inputs.firebird ? firebirdStructureProfile() : classicStructureProfile();
}

const ProcedureScriptProfile& procedureProfile(const ScriptInputs& inputs) {
    return inputs.firebird ? firebirdProcedureProfile() : classicProcedureProfile();
}

const DataExportProfile& dataExportProfile(const ScriptInputs& inputs) {
    return inputs.firebird ? firebirdDataExportProfile() : classicDataExportProfile();
}

std::optional<RulePlan> rulePlanOf(TTable& table, const std::string& path,
                                   const ScriptInputs& inputs) {
    if (!inputs.firebird)
        return std::nullopt;
    return planRules(table, path, firebird::tableName(path));
}

void writeRules(const RulePlan& rules, const std::string& path, LineSink& sink) {
    writeRuleScript(rules, sink);
    for (const std::string& sentence : rules.notCarried)
        std::fprintf(stderr, "vorendal-cli: warning: %s: not carried: %s\n", path.c_str(),
                     sentence.c_str());
}

namespace {

void configureTable(TTable& table, const Options& options) {
    table.setCodePage(codePageOption(options));
    if (options.firebird) {
        table.setTextDelivery(engine::TextDelivery::Utf8);
        table.setNameUnnamedFields(true); // Firebird takes no empty name
    }
}

// The foreign keys between the tables of the run, after all of them and their rows.
void writeForeignKeys(std::span<const RunTable> run, const Options& options, LineSink& sink,
                      bool statements) {
    TTable child("Table1");
    TTable parent("Table1");
    configureTable(child, options);
    configureTable(parent, options);
    std::vector<ForeignKeyPlan> keys = planForeignKeys(run, child, parent);
    if (!statements)
        for (ForeignKeyPlan& key : keys)
            if (!key.sql.empty()) {
                key.sql.clear();
                key.notCarried = "made by the all script and by load, after the rows";
            }
    writeForeignKeyScript(keys, sink);
    for (const ForeignKeyPlan& key : keys)
        if (key.sql.empty())
            std::fprintf(stderr, "vorendal-cli: warning: %s: not carried: %s: %s\n",
                         run[key.child].path.c_str(), key.what.c_str(), key.notCarried.c_str());
}

} // namespace

int runScriptCommand(const char* command, const Options& options, std::FILE* out,
                     ScriptWriter write, BetweenTables betweenTables) {
    if (options.operands.empty())
        throw UsageError(std::string(command) + " needs at least one table");
    const bool showProgress = isatty(2) != 0;
    ScriptInputs inputs;
    // before anything is written: an unknown --locale is a usage error
    inputs.settings = regionalSettingsFor(options);
    inputs.threads = threadsOf(options);
    int status = 0;
    TTable table("Table1");
    configureTable(table, options);
    inputs.firebird = options.firebird;
    std::vector<RunTable> written;
    ScriptFileSink sink(out);
    for (const std::string& operand : options.operands) {
        ProgressLine progress(operand);
        if (showProgress)
            inputs.progress = [&progress](std::uint64_t records) { progress.update(records); };
        try {
            // The argument's bytes are the file's name: they reach the file system unchanged.
            const ExportResult result = write(table, operand, sink, inputs);
            written.push_back({operand, firebird::tableName(operand)});
            reportNullsWritten(dataExportProfile(inputs).tableName(operand), result);
            reportCodePageWarning(table);
        } catch (const EAbort&) {
            status = 1;
        } catch (const Exception& e) {
            sink.flush();
            std::fflush(out);
            reportError(e.message());
            status = 1;
        } catch (const std::exception& e) {
            sink.flush();
            std::fflush(out);
            reportError(e.what());
            status = 1;
        }
        // a failed script leaves the table open; the next table needs it closed
        table.Close();
        sink.flush();
        std::fflush(out);
        // the data script writes the values only; the others write the names
        if (!inputs.firebird)
            reportReplacedCharacters(table, std::string_view(command) != "data");
        reportMadeUpNames(table);
        status = std::max(status, reportDamage(table, options));
    }
    if (inputs.firebird && betweenTables != BetweenTables::Nothing && !written.empty()) {
        try {
            writeForeignKeys(written, options, sink, betweenTables == BetweenTables::ForeignKeys);
        } catch (const Exception& e) {
            reportError(e.message());
            status = 1;
        }
    }
    sink.flush();
    return status;
}

} // namespace vorendal::cli
