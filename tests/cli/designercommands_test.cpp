#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

#include "base/exceptions.h"
#include "cli/commands.h"
#include "designer/designergrid.h"
#include "designer/designerscript.h"
#include "designer/tabledefinition.h"

namespace vorendal::cli {
namespace {

namespace fs = std::filesystem;

std::string run(int (*command)(const Options&, std::FILE*), std::vector<std::string> operands,
                bool firebird = false) {
    Options options;
    options.operands = std::move(operands);
    options.firebird = firebird;
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    int status = 1;
    try {
        status = command(options, out);
    } catch (...) {
        std::fclose(out);
        std::free(buffer);
        throw;
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    EXPECT_EQ(status, 0);
    return text;
}

// The commands write what the buttons write to NAME.SQL for the same table definition file.
TEST(DesignerCommands, WriteTheButtonsBytes) {
    const fs::path folder =
        fs::temp_directory_path() / ("vorendal-cli-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path tab = folder / "clientes.tab";
    std::ofstream(tab, std::ios::binary)
        << "codigo\r\ni\r\n\r\nx\r\n\r\nnome\r\nv\r\n60\r\n\r\nN\r\n"
           "sal\xE7o\r\nn\r\n15,2\r\n\r\nS\r\n#\r\n";
    for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
        DesignerGrid grid;
        readTableDefinition(grid, tab);
        const auto written = writeDesignerScriptFile(kind, grid, "cli\xE9ntes", folder);
        std::ifstream in(*written, std::ios::binary);
        const std::string expected{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(run(kind == DesignerScript::createTable ? runCreate : runAlter,
                      {tab.string(), "cli\xC3\xA9ntes"}),
                  expected);
        EXPECT_NE(expected.find("\"SAL\xC7O\""), std::string::npos);
    }
    // --firebird: the UTF-8 script, the name delimited and upper-cased
    EXPECT_EQ(
        run(runAlter, {tab.string(), "cli\xC3\xA9ntes"}, true).substr(0, 73),
        "SET NAMES UTF8;\r\nALTER TABLE \"CLI\xC3\x89NTES\"\r\nADD \"CODIGO\"  INTEGER NOT NULL,");
    // a name 1252 cannot hold is refused rather than written as question marks
    EXPECT_THROW(run(runCreate, {tab.string(), "\xD0\x96"}, true), UsageError);
    fs::remove_all(folder);
    EXPECT_THROW(run(runCreate, {tab.string()}), UsageError);
    EXPECT_THROW(run(runAlter, {(folder / "none.tab").string(), "t"}), EInOutError);
}

// A definition of more than 100 rows is written from its first 100, with a warning.
TEST(DesignerCommands, LongDefinitionsAreSaid) {
    const fs::path tab = fs::temp_directory_path() / ("long-" + std::to_string(getpid()) + ".tab");
    std::ofstream out(tab, std::ios::binary);
    for (int i = 1; i <= 101; ++i)
        out << "f" << i << "\r\ni\r\n\r\n\r\n\r\n";
    out.close();
    testing::internal::CaptureStderr();
    const std::string script = run(runCreate, {tab.string(), "t"}, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vorendal-cli: warning: " + tab.string() +
                  ": the definition holds more than 100 rows; only the first 100 are used.\n");
    EXPECT_NE(script.find("\"F100\"  INTEGER\r\n);"), std::string::npos);
    fs::remove(tab);
}

} // namespace
} // namespace vorendal::cli
