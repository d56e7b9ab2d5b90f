#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorendal::cli {

// A command line that cannot be run as written; main prints it with the usage text, exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The parsed command line. Options may stand anywhere, before or after the command and its
// operands; "--" ends the options.
struct Options {
    bool help = false;
    std::string command;                 // describe, structure, procedure, data, all, create, alter
    std::vector<std::string> operands;   // the command's arguments, exactly as given (bytes)
    std::optional<std::string> output;   // -o FILE: write there instead of standard output
    std::optional<std::string> locale;   // --locale NAME: regional settings of that locale
    std::optional<std::string> codepage; // --codepage N: the text of every table read under N
    bool ignoreDamaged = false;          // --ignore-damaged: damaged values do not fail the run
    bool firebird = false;               // --firebird: the output profile for Firebird 3+
    // load
    std::optional<std::string> into;     // --into DATABASE
    bool create = false;                 // --create: a new database
    std::optional<std::string> user;     // --user NAME (else ISC_USER)
    std::optional<std::string> password; // --password WORD (else ISC_PASSWORD)
    bool replace = false;                // --replace: drop a table of the same name first
    bool verify = false;                 // --verify: read every row back and compare it
    std::optional<std::string> report;   // --report FILE: the summary as JSON
    std::optional<std::string> jobs;     // -j N, --jobs N: tables loaded at once
    std::optional<std::string> threads;  // --threads N: threads making the data lines
    bool recursive = false;              // --recursive: folders with their subfolders
};

// The value of a counting option (threads, tables at once): a number from 1 to 64. Throws
// UsageError("<what> from 1 to 64, not <text>") for anything else.
unsigned countFrom1To64(const std::string& text, const std::string& what);

// Parses argv[1..argc-1]. Throws UsageError for an unknown option or a missing option value.
// The command and its operands are checked by the command itself.
Options parseCommandLine(int argc, const char* const* argv);

} // namespace vorendal::cli
