#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "base/exceptions.h"
#include "base/textfile.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/usage.h"

namespace {

int usageError(const std::string& text) {
    std::fprintf(stderr, "vorendal-cli: %s\n%s", text.c_str(), vorendal::cli::kUsage);
    return 2;
}

// Standard output or the file of -o, closed (and checked) at the end.
class Output {
public:
    explicit Output(const std::optional<std::string>& path) {
        if (!path) {
            m_file = stdout;
            return;
        }
        m_file = std::fopen(path->c_str(), "wb");
        if (m_file == nullptr)
            vorendal::throwIoError(errno, *path);
        m_owned = true;
    }
    ~Output() {
        if (m_owned && m_file != nullptr)
            std::fclose(m_file);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::FILE* file() const { return m_file; }

    // Writes what is buffered; false (errno set) when that fails.
    bool finish() {
        const bool flushed = std::fflush(m_file) == 0;
        if (!m_owned)
            return flushed;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return flushed && closed;
    }

private:
    std::FILE* m_file = nullptr;
    bool m_owned = false;
};

} // namespace

int main(int argc, char** argv) {
    using namespace vorendal::cli;
    Options options;
    try {
        options = parseCommandLine(argc, argv);
        codePageOption(options); // an unknown page is a usage error whatever the command
    } catch (const UsageError& e) {
        return usageError(e.what());
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.command.empty())
        return usageError("missing command");
    const Command* command = findCommand(options.command);
    if (command == nullptr)
        return usageError("unknown command " + options.command);

    try {
        Output output(options.output);
        static char buffer[1 << 16];
        std::setvbuf(output.file(), buffer, _IOFBF, sizeof buffer);
        const int status = command->run(options, output.file());
        if (!output.finish()) {
            reportError(std::strerror(errno));
            return 1;
        }
        return status;
    } catch (const UsageError& e) {
        return usageError(e.what());
    } catch (const vorendal::Exception& e) {
        reportError(e.message());
        return 1;
    }
}
