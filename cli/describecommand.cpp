#include <algorithm>
#include <exception>

#include "base/exceptions.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "cli/damage.h"
#include "cli/describe.h"
#include "cli/scriptcommand.h"

namespace vorendal::cli {

int runDescribe(const Options& options, std::FILE* out) {
    if (options.operands.empty())
        throw UsageError("describe needs at least one table");
    const unsigned threads = threadsOf(options);
    int status = 0;
    TTable table("Table1");
    table.setCodePage(codePageOption(options));
    if (options.firebird) { // the texts and names as the firebird profile writes them
        table.setTextDelivery(engine::TextDelivery::Utf8);
        table.setNameUnnamedFields(true);
    }
    for (const std::string& operand : options.operands) {
        try {
            // The argument's bytes are the file's name: they reach the file system unchanged.
            describeTable(table, operand, out, threads);
        } catch (const EAbort&) {
            status = 1;
        } catch (const Exception& e) {
            std::fflush(out);
            reportError(e.message());
            status = 1;
        } catch (const std::exception& e) {
            std::fflush(out);
            reportError(e.what());
            status = 1;
        }
        table.Close();
        std::fflush(out);
        reportMadeUpNames(table);
        status = std::max(status, reportDamage(table, options));
    }
    return status;
}

} // namespace vorendal::cli
