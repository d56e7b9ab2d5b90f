#include "cli/commands.h"

#include <iterator>
#include <string>

#include "base/ansi.h"
#include "base/exceptions.h"

namespace vorendal::cli {
namespace {

// Each command adds its entry here.
constexpr Command kCommands[] = {
    {"describe", runDescribe},
    {"structure", runStructure},
    {"procedure", runProcedure},
    {"data", runData},
    {"all", runAll},
    {"load", runLoad},
    {"create", runCreate},
    {"alter", runAlter},
};

} // namespace

const Command* findCommand(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

void reportError(const std::string& message) {
    const std::string shown = ansiToUtf8(displayText(message));
    std::fprintf(stderr, "%s\n", shown.c_str());
}

} // namespace vorendal::cli
