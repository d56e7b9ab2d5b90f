#include "cli/options.h"

#include <charconv>

namespace vorendal::cli {
namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE".
std::string optionValue(const std::string& name, const std::string& arg, int& i, int argc,
                        const char* const* argv) {
    if (arg.size() > name.size() && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    if (i + 1 >= argc)
        throw UsageError("option " + name + " needs a value");
    return argv[++i];
}

bool isOption(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                           arg[name.size()] == '=');
}

} // namespace

Options parseCommandLine(int argc, const char* const* argv) {
    Options options;
    bool optionsEnded = false;
    bool commandSeen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            options.help = true;
        } else if (!optionsEnded && isOption(arg, "-o")) {
            options.output = optionValue("-o", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--output")) {
            options.output = optionValue("--output", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--locale")) {
            options.locale = optionValue("--locale", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--codepage")) {
            options.codepage = optionValue("--codepage", arg, i, argc, argv);
        } else if (!optionsEnded && arg == "--ignore-damaged") {
            options.ignoreDamaged = true;
        } else if (!optionsEnded && arg == "--firebird") {
            options.firebird = true;
        } else if (!optionsEnded && isOption(arg, "--into")) {
            options.into = optionValue("--into", arg, i, argc, argv);
        } else if (!optionsEnded && arg == "--create") {
            options.create = true;
        } else if (!optionsEnded && isOption(arg, "--user")) {
            options.user = optionValue("--user", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--password")) {
            options.password = optionValue("--password", arg, i, argc, argv);
        } else if (!optionsEnded && arg == "--replace") {
            options.replace = true;
        } else if (!optionsEnded && arg == "--verify") {
            options.verify = true;
        } else if (!optionsEnded && isOption(arg, "--report")) {
            options.report = optionValue("--report", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--jobs")) {
            options.jobs = optionValue("--jobs", arg, i, argc, argv);
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "-j") == 0) {
            options.jobs = arg.substr(2);
        } else if (!optionsEnded && arg == "-j") {
            options.jobs = optionValue("-j", arg, i, argc, argv);
        } else if (!optionsEnded && isOption(arg, "--threads")) {
            options.threads = optionValue("--threads", arg, i, argc, argv);
        } else if (!optionsEnded && arg == "--recursive") {
            options.recursive = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (!commandSeen) {
            options.command = arg;
            commandSeen = true;
        } else {
            options.operands.push_back(arg);
        }
    }
    return options;
}

unsigned countFrom1To64(const std::string& text, const std::string& what) {
    unsigned count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > 64)
        throw UsageError(what + " from 1 to 64, not " + text);
    return count;
}

} // namespace vorendal::cli
