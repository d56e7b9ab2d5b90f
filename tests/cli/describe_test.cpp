#include "cli/describe.h"

#include <cstdio>
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "cli/codepageoption.h"
#include "cli/commands.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::cli {
namespace {

using namespace vorendal::fixtures;

std::string describe(FakeFiles& fake, const std::string& path) {
    TTable table("Table1", fake.factory());
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    try {
        describeTable(table, path, out);
    } catch (...) {
        std::fclose(out);
        std::free(buffer);
        throw;
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(Describe, WritesStructureIndexesAndRecordsAsTabSeparatedUtf8) {
    engine::Value date;
    date.setDate(engine::dayNumberFromCivil(2004, 12, 25));
    engine::Value time;
    time.setTime(((14 * 60 + 5) * 60 + 9) * 1000 + 7);
    engine::Value stamp;
    stamp.setDateTime(engine::dayNumberFromCivil(1999, 1, 2), 1);
    FakeFiles fake;
    // the path is the file system's bytes (UTF-8 here), the table name its 1252 form
    fake.tables["/d/Pe\xC3\xA7"
                "as.db"] = {
        {{"C\xF3"
          "digo",
          ftAutoInc, 0, false},
         {"Nome", ftString, 30, true},
         {"Pre\xE7o", ftCurrency, 0, false},
         {"Ativo", ftBoolean, 0, false},
         {"Dia", ftDate, 0, false},
         {"Hora", ftTime, 0, false},
         {"Quando", ftDateTime, 0, false},
         {"Foto", ftGraphic, 10, false},
         {"Obj", ftADT, 4, false},
         {"Taxa", ftFloat, 0, false}},
        {{"C\xF3"
          "digo",
          {ixPrimary, ixUnique}},
         {"Nome;Dia", {ixCaseInsensitive, ixDescending}},
         {"", {ixExpression}}},
        {{integerValue(-5), textValue("a\tb\\c\r\nd \xE9"), floatValue(19.9), booleanValue(true),
          date, time, stamp, bytesValue(std::string("\x00\xAB\xFF", 3)), nullValue(),
          floatValue(0.1)},
         {nullValue(), nullValue(), nullValue(), booleanValue(false), nullValue(), nullValue(),
          nullValue(), nullValue(), nullValue(), floatValue(-1e21)}}};

    EXPECT_EQ(describe(fake, "/d/Pe\xC3\xA7"
                             "as.db"),
              "table\t/d/Pe\xC3\xA7"
              "as.db\tPE\xC3\x87"
              "AS\n"
              "codepage\t437\tdefault\n"
              "field\tC\xC3\xB3"
              "digo\tftAutoInc\t0\t0\n"
              "field\tNome\tftString\t30\t1\n"
              "field\tPre\xC3\xA7o\tftCurrency\t0\t0\n"
              "field\tAtivo\tftBoolean\t0\t0\n"
              "field\tDia\tftDate\t0\t0\n"
              "field\tHora\tftTime\t0\t0\n"
              "field\tQuando\tftDateTime\t0\t0\n"
              "field\tFoto\tftGraphic\t10\t0\n"
              "field\tObj\tftADT\t4\t0\n"
              "field\tTaxa\tftFloat\t0\t0\n"
              "index\tC\xC3\xB3"
              "digo\tixPrimary,ixUnique\n"
              "index\tNome;Dia\tixDescending,ixCaseInsensitive\n"
              "index\t\tixExpression\n"
              "record\t-5\ta\\tb\\\\c\\r\\nd \xC3\xA9\t19.9\ttrue\t2004-12-25\t14:05:09.007\t"
              "1999-01-02 00:00:00.001\t00abff\t0.1\n"
              "record\t\\N\t\\N\t\\N\tfalse\t\\N\t\\N\t\\N\t\\N\t-1e+21\n");
}

TEST(Describe, EngineErrorsLeaveWhatWasWritten) {
    FakeFiles fake;
    EXPECT_THROW(describe(fake, "/none.db"), EDBEngineError);
    EXPECT_THROW(describe(fake, ""), EDatabaseError);
}

// Runs describe as the command line would, returning standard output.
std::string runDescribeCommand(const Options& options) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    const int status = runDescribe(options, out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    EXPECT_EQ(status, 0);
    return text;
}

TEST(Describe, CodePageLineSaysWhichPageAndWhy) {
    TempDir dir;
    // "São" under 850, in a table whose header says 1252.
    const std::string dbf = DbfBuilder(0x03)
                                .languageDriver(0x03)
                                .field("NOME", 'C', 10)
                                .record({dbfText("S\xC6o", 10)})
                                .bytes();
    const std::string path = dir.write("T.DBF", dbf).string();
    struct Case {
        std::optional<std::string> option;
        std::optional<std::string> cpg;
        std::string expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "codepage\t1252\theader\n"},
        {std::nullopt, "850", "codepage\t850\tcpg\n"},
        {"cp850", "1252", "codepage\t850\toption\n"},
    };
    for (const auto& c : cases) {
        if (c.cpg)
            dir.write("t.cpg", *c.cpg);
        Options options;
        options.operands = {path};
        options.codepage = c.option;
        const std::string text = runDescribeCommand(options);
        EXPECT_NE(text.find(c.expected), std::string::npos) << text;
        if (c.expected.find("850") != std::string::npos) {
            EXPECT_NE(text.find("record\tS\xC3\xA3o\n"), std::string::npos) << text;
        }
    }
    Options unknown;
    unknown.operands = {path};
    unknown.codepage = "12345";
    EXPECT_THROW(codePageOption(unknown), UsageError);
}

// The table's path goes from the command line to the file system as given (here not UTF-8);
// a damaged memo is warned about per table and fails the run unless --ignore-damaged.
TEST(DescribeCommand, DamagedValuesAreWarnedAboutAndFailTheRunUnlessIgnored) {
    TempDir dir;
    const auto path = dir.write("t\xFF.dbf", DbfBuilder(0x83)
                                                 .field("ID", 'N', 1)
                                                 .field("NOTE", 'M', 10)
                                                 .record({"1", "  12ab    "})
                                                 .record({"2", dbfMemoPointer(9)})
                                                 .bytes());
    dir.write("t\xFF.dbt", DbtBuilder(DbtBuilder::Style::DBase3).bytes());
    Options options;
    options.operands = {path.native()};
    for (const bool ignore : {false, true}) {
        options.ignoreDamaged = ignore;
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        testing::internal::CaptureStderr();
        const int status = runDescribe(options, out);
        const std::string warnings = testing::internal::GetCapturedStderr();
        std::fclose(out);
        const std::string text(buffer, size);
        std::free(buffer);
        EXPECT_EQ(status, ignore ? 0 : 1);
        EXPECT_EQ(text.substr(0, text.find('\n')), "table\t" + path.native() + "\tT?");
        EXPECT_EQ(warnings, "vorendal-cli: warning: " + path.native() +
                                ": 2 values of field NOTE could not be read; the first at "
                                "record 1.\n");
    }
}

} // namespace
} // namespace vorendal::cli
