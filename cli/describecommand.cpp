#include <exception>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "cli/describe.h"

namespace vorendal::cli {

int runDescribe(const Options& options, std::FILE* out) {
    if (options.operands.empty())
        throw UsageError("describe needs at least one table");
    int status = 0;
    TTable table("Table1");
    table.setCodePage(codePageOption(options));
    if (options.firebird) // the texts as the firebird profile writes them
        table.setTextDelivery(engine::TextDelivery::Utf8);
    for (const std::string& operand : options.operands) {
        try {
            // Arguments arrive as UTF-8; the table component works in 1252 like the window.
            describeTable(table, utf8ToAnsi(operand), out);
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
    }
    return status;
}

} // namespace vorendal::cli
