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
    "        codepage <page> <why>   the code page the text is read under, and why:\n"
    "                option (--codepage), cpg (a .cpg file beside the table),\n"
    "                header (the table says so), detected (from the text's own\n"
    "                bytes), default (437: nothing said anything)\n"
    "        field   <name> <type> <size> <required 0|1>\n"
    "        index   <fields joined by ;> <options>\n"
    "        record  <value>...      (null: \\N; text escapes \\\\ \\t \\r \\n)\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  -o FILE      write to FILE instead of standard output\n"
    "  --codepage N read the text of every table under code page N (437, 850, 852,\n"
    "               860, 866, 1250, 1251, 1252, utf-8, ...), whatever the table and\n"
    "               its .cpg file say; an unknown N lists the known ones\n"
    "  -h, --help   show this text\n"
    "  --           end of options\n";

} // namespace vorendal::cli
