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
    "  create DEFINITION.tab NAME\n"
    "  alter DEFINITION.tab NAME\n"
    "      Reads a table definition file saved by the designer and writes the CREATE TABLE\n"
    "      (or ALTER TABLE ... ADD) script that \"Criar tabela\" (or \"Alterar tabela\") would\n"
    "      write to NAME.SQL, byte for byte (Windows-1252, CR LF lines). No file is written\n"
    "      unless -o FILE asks for one.\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  -o FILE      write to FILE instead of standard output\n"
    "  --locale NAME\n"
    "               format numbers, dates and times by the locale NAME (pt_BR, en_US, C...)\n"
    "               instead of the user's own\n"
    "  -h, --help   show this text\n"
    "  --           end of options\n";

} // namespace vorendal::cli
