#include "cli/usage.h"

namespace vorendal::cli {

const char* const kUsage =
    "Usage: vorendal-cli [OPTIONS] COMMAND ARGUMENTS... [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  describe TABLE...\n"
    "      Prints what Vorendal reads from each Paradox (.db) or dBASE/FoxPro (.dbf) table,\n"
    "      as UTF-8 tab-separated lines:\n"
    "        table   <path> <table name>\n"
    "        field   <name> <type> <size> <required 0|1>\n"
    "        index   <fields joined by ;> <options>\n"
    "        record  <value>...      (null: \\N; text escapes \\\\ \\t \\r \\n)\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  -o FILE      write to FILE instead of standard output\n"
    "  --ignore-damaged\n"
    "               values that cannot be read (damaged memos, read as null) are still\n"
    "               reported on standard error, but do not make the exit status 1\n"
    "  -h, --help   show this text\n"
    "  --           end of options\n";

} // namespace vorendal::cli
