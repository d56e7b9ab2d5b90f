#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "cli/describe.h"

namespace {

constexpr const char* kUsage =
    "Usage: vorendal-cli describe TABLE...\n"
    "\n"
    "Prints what Vorendal reads from each Paradox (.db) or dBASE/FoxPro (.dbf) table,\n"
    "as UTF-8 tab-separated lines:\n"
    "  table   <path> <table name>\n"
    "  field   <name> <type> <size> <required 0|1>\n"
    "  index   <fields joined by ;> <options>\n"
    "  record  <value>...      (null: \\N; text escapes \\\\ \\t \\r \\n)\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  -h, --help   show this text\n"
    "  --           end of options\n";

int usageError(const std::string& text) {
    std::fprintf(stderr, "vorendal-cli: %s\n%s", text.c_str(), kUsage);
    return 2;
}

// Shows an error as the window's error display would: the message with its closing full stop.
void reportError(const std::string& message) {
    const std::string shown = vorendal::ansiToUtf8(vorendal::displayText(message));
    std::fprintf(stderr, "%s\n", shown.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        return usageError("missing command");
    if (words.front() != "describe")
        return usageError("unknown command " + words.front());
    if (words.size() < 2)
        return usageError("describe needs at least one table");

    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    int status = 0;
    vorendal::TTable table("Table1");
    for (std::size_t i = 1; i < words.size(); ++i) {
        try {
            // Arguments arrive as UTF-8; the table component works in 1252 like the window.
            vorendal::cli::describeTable(table, vorendal::utf8ToAnsi(words[i]), stdout);
        } catch (const vorendal::EAbort&) {
            status = 1;
        } catch (const vorendal::Exception& e) {
            std::fflush(stdout);
            reportError(e.message());
            status = 1;
        } catch (const std::exception& e) {
            std::fflush(stdout);
            reportError(e.what());
            status = 1;
        }
        table.Close();
    }
    if (std::fflush(stdout) != 0) {
        reportError(std::strerror(errno));
        return 1;
    }
    return status;
}
