#include "cli/usage.h"

namespace vorendal::cli {

const char* const kUsage =
    "Usage: vorendal-cli [OPTIONS] COMMAND TABLE... [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  describe TABLE...\n"
    "      Prints what Vorendal reads from each Paradox (.db) or dBASE/FoxPro (.dbf) table,\n"
    "      as UTF-8 tab-separated lines:\n"
    "        table   <path> <table name>\n"
    "        field   <name> <type> <size> <required 0|1>\n"
    "        index   <fields joined by ;> <options>\n"
    "        record  <value>...      (null: \\N; text escapes \\\\ \\t \\r \\n)\n"
    "  structure TABLE...\n"
    "      The CREATE TABLE script of each table, with its primary key and a note line per\n"
    "      secondary index, as the window's \"SQL\" button appends it.\n"
    "  procedure TABLE...\n"
    "      The script of each table's insert procedure IN_<table>, as \"Stored\" appends it.\n"
    "  data TABLE...\n"
    "      One EXECUTE PROCEDURE IN_<table>(...); line per record, then an empty line, as\n"
    "      \"Importar\" appends them; numbers, dates and times follow the regional settings.\n"
    "  all TABLE...\n"
    "      structure, procedure and data, in that order, for each table.\n"
    "  The scripts are the bytes the window's \"Salvar\" writes: Windows-1252 text, each line\n"
    "  ended by CR LF. A table that fails is reported on standard error as the window shows\n"
    "  the error; the others are still written, and the exit status is 1. While data is\n"
    "  exported, a progress line shows on standard error when it is a terminal.\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  -o FILE      write to FILE instead of standard output\n"
    "  --locale NAME\n"
    "               format numbers, dates and times by the locale NAME (pt_BR, en_US, C...)\n"
    "               instead of the user's own\n"
    "  -h, --help   show this text\n"
    "  --           end of options\n";

} // namespace vorendal::cli
