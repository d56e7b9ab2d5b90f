#pragma once

#include <cstdio>

#include "cli/options.h"

namespace vorendal::cli {

// One command of vorendal-cli. run writes the command's output to out and returns the exit
// status (0 success, 1 an error was reported on standard error); it throws UsageError for
// operands it cannot take.
struct Command {
    const char* name;
    int (*run)(const Options& options, std::FILE* out);
};

// Every command, in the order --help lists them.
const Command* findCommand(const std::string& name);

// Shows an error on standard error as the window's error display would: the message (1252) with
// its closing full stop, converted to UTF-8.
void reportError(const std::string& message);

int runDescribe(const Options& options, std::FILE* out);
int runStructure(const Options& options, std::FILE* out);
int runProcedure(const Options& options, std::FILE* out);
int runData(const Options& options, std::FILE* out);
int runAll(const Options& options, std::FILE* out);
int runLoad(const Options& options, std::FILE* out);
int runCreate(const Options& options, std::FILE* out);
int runAlter(const Options& options, std::FILE* out);

} // namespace vorendal::cli
