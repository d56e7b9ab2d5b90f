// The data export: one call per record with one argument per field, what each field type
// contributes, and what a failure or a cancel leaves behind; every real table of the shared test
// data through the three scripts.

#include "scripts/dataexport.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "scripts/linesink.h"
#include "scripts/procedurescript.h"
#include "scripts/scripttext.h"
#include "scripts/structurescript.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using namespace fixtures;
using engine::Value;

struct PaneSink : LineSink {
    ScriptText text;
    void appendLine(std::string_view line) override { text.appendLine(line); }
    std::vector<std::string> lines() const {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < text.lineCount(); ++i)
            all.push_back(text.row(i));
        return all;
    }
};

RegionalSettings brazilian() {
    RegionalSettings s;
    s.decimalSeparator = ",";
    s.shortDatePattern = "dd/MM/yyyy";
    s.twentyFourHour = true;
    s.hourLeadingZero = true;
    return s;
}

Value dateTimeValue(int year, int month, int day, std::int32_t millis) {
    Value v;
    v.setDateTime(engine::dayNumberFromCivil(year, month, day), millis);
    return v;
}

TEST(DataExport, WorkedExample) {
    ParadoxTableBuilder b;
    b.field("Codigo", 'I')
        .field("Descricao", 'A', 30)
        .field("Ativo", 'L')
        .field("Preco", 'N')
        .field("Custo", '$')
        .field("Validade", 'D')
        .field("Hora", 'T')
        .row({px::longInt(1), px::alpha("Caneta azul"), px::logical(true), px::number(2.5),
              px::number(1.2345), px::date(2004, 12, 25),
              px::time((14 * 3600 + 5 * 60 + 9) * 1000)})
        .row({px::longInt(2), px::alpha("Papel A4"), px::logical(false), px::number(-3.456),
              px::number(19.9), px::blank(), px::blank()});
    TempDir dir;
    const std::string path = b.build().writeTo(dir.path(), "Produtos").string();
    TTable table;
    PaneSink sink;
    writeDataExport(table, path, brazilian(), sink);
    EXPECT_EQ(
        sink.lines(),
        (std::vector<std::string>{
            "EXECUTE PROCEDURE IN_PRODUTOS(1,'Caneta azul',\"S\",2.50,1.2345,25/12/2004,"
            "14:05:09);",
            "EXECUTE PROCEDURE IN_PRODUTOS(2,'Papel A4',\"N\",-3.46,19.9,30/12/1899,00:00:00);",
            ""}));
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.TableName(), path);
}

class FakeExport : public ::testing::Test {
protected:
    FakeFiles fake;
    TTable table{"Table1", fake.factory()};
    PaneSink sink;

    void define(std::vector<engine::FieldDescription> fields,
                std::vector<std::vector<Value>> records) {
        fake.tables["/d/T.db"] = {std::move(fields), {}, std::move(records)};
    }
    void run(const ExportProgress& progress = {}) {
        writeDataExport(table, "/d/T.db", brazilian(), sink, progress);
    }
};

TEST_F(FakeExport, EveryFieldGivesOneArgument) {
    struct Case {
        TFieldType type;
        Value value;
        const char* text; // the argument
    };
    const Case cases[] = {
        {ftString, textValue("Rua A, 10"), "'Rua A, 10'"},
        {ftString, textValue("O'Brien ''"), "'O''Brien '''''"},
        {ftString, textValue(std::string("ab\0cd", 5)), "'ab'"},
        {ftString, nullValue(), "''"},
        {ftMemo, textValue("it's"), "'it''s'"},
        {ftFmtMemo, textValue("{\\rtf1 x}"), "'{\\rtf1 x}'"},
        {ftInteger, integerValue(-5), "-5"},
        {ftInteger, nullValue(), "0"},
        {ftSmallint, integerValue(-32768), "-32768"},
        {ftWord, integerValue(65535), "65535"},
        {ftAutoInc, integerValue(3), "3"},
        {ftLargeint, integerValue(-9223372036854775807LL), "-9223372036854775807"},
        {ftBoolean, booleanValue(true), "\"S\""},
        {ftBoolean, nullValue(), "\"N\""},
        {ftBlob, bytesValue("\x01'"), "NULL"},
        {ftGraphic, bytesValue("GIF"), "NULL"},
        {ftBytes, bytesValue("ab"), "NULL"},
        {ftParadoxOle, nullValue(), "NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        define({{"A", ftInteger, 0, false}, {"X", c.type, 10, false}, {"Z", c.type, 10, false}},
               {{integerValue(1), c.value, c.value}});
        sink.text.clear();
        run();
        EXPECT_EQ(sink.lines(), (std::vector<std::string>{std::string("EXECUTE PROCEDURE IN_T(1,") +
                                                              c.text + "," + c.text + ");",
                                                          ""}));
    }
}

TEST_F(FakeExport, NumbersDatesAndTimesFollowTheRegionalSettings) {
    const Value stamp = dateTimeValue(2004, 12, 25, (14 * 3600 + 5 * 60 + 9) * 1000);
    struct Case {
        TFieldType type;
        Value value;
        const char* text;
    };
    const Case cases[] = {
        {ftFloat, floatValue(-0.004), "0.00"},
        {ftFloat, floatValue(1234.5), "1234.50"},
        {ftCurrency, floatValue(0.03125), "0.0312"},
        {ftCurrency, nullValue(), "0"},
        {ftBCD, floatValue(-1234.5), "-1234.5"},
        {ftBCD, nullValue(), "0"},
        {ftDate, stamp, "25/12/2004"},
        {ftTime, stamp, "14:05:09"},
        {ftDateTime, stamp, "25/12/2004 14:05:09"},
        {ftTimeStamp, stamp, "25/12/2004 14:05:09"},
        {ftDateTime, nullValue(), "30/12/1899 00:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        define({{"X", c.type, 2, false}}, {{c.value}});
        sink.text.clear();
        run();
        EXPECT_EQ(sink.text.row(0), std::string("EXECUTE PROCEDURE IN_T(") + c.text + ");");
    }
}

TEST_F(FakeExport, MemoLineBreaksBreakTheCallIntoPaneLines) {
    define({{"M", ftMemo, 10, false}}, {{textValue("a\r\nb\rc\nd")}});
    run();
    EXPECT_EQ(sink.lines(),
              (std::vector<std::string>{"EXECUTE PROCEDURE IN_T('a", "b", "c", "d');", ""}));
}

TEST_F(FakeExport, AColumnWithoutFieldShiftsTheFieldsAgainstTheDefinitions) {
    define({{"U", ftUnknown, 0, false}, {"S", ftString, 5, false}, {"I", ftInteger, 0, false}},
           {{nullValue(), textValue("abc"), integerValue(5)}});
    run();
    // field 0 (S) is written as definition 0 (no value), field 1 (I) as definition 1 (text)
    EXPECT_EQ(sink.lines(), (std::vector<std::string>{"EXECUTE PROCEDURE IN_T(NULL,'5');", ""}));
}

TEST_F(FakeExport, EmptyTablesAndRepeatedRuns) {
    define({{"I", ftInteger, 0, false}}, {});
    run();
    EXPECT_EQ(sink.lines(), (std::vector<std::string>{""}));
    define({}, {{}, {}});
    run();
    EXPECT_EQ(sink.lines(), (std::vector<std::string>{"", "EXECUTE PROCEDURE IN_T();",
                                                      "EXECUTE PROCEDURE IN_T();", ""}));
}

TEST_F(FakeExport, FailuresAndCancelLeaveTheLinesBefore) {
    std::vector<std::vector<Value>> records;
    for (int i = 0; i < 2500; ++i)
        records.push_back({integerValue(i)});
    define({{"I", ftInteger, 0, false}}, records);

    // nothing selected, unreadable file: nothing appended
    EXPECT_THROW(writeDataExport(table, "", {}, sink), EDatabaseError);
    EXPECT_THROW(writeDataExport(table, "/d/missing.db", {}, sink), EDBEngineError);
    EXPECT_EQ(sink.text.lineCount(), 0u);

    // progress every 1024 records; an abort closes the table and writes no closing line
    std::vector<std::uint64_t> calls;
    EXPECT_THROW(run([&calls](std::uint64_t count) {
                     calls.push_back(count);
                     if (count == 2048)
                         throw EAbort();
                 }),
                 EAbort);
    EXPECT_EQ(calls, (std::vector<std::uint64_t>{1024, 2048}));
    EXPECT_EQ(sink.text.lineCount(), 2048u);
    EXPECT_EQ(sink.text.row(2047), "EXECUTE PROCEDURE IN_T(2047);");
    EXPECT_FALSE(table.Active());

    // a full pane: the export ends at the line that did not fit, the table stays open
    sink.text.clear();
    sink.text.setCapacity(100);
    EXPECT_THROW(run(), EOutOfResources);
    EXPECT_EQ(sink.lines(),
              (std::vector<std::string>{"EXECUTE PROCEDURE IN_T(0);", "EXECUTE PROCEDURE IN_T(1);",
                                        "EXECUTE PROCEDURE IN_T(2);"}));
    EXPECT_TRUE(table.Active());
    sink.text.clear();
    sink.text.setCapacity(kScriptPaneCapacity);
    run();
    EXPECT_EQ(sink.text.lineCount(), 2501u);
}

// The arguments of one call: commas outside the quoted texts separate them.
std::size_t argumentCount(std::string_view call) {
    call.remove_prefix(call.find('(') + 1);
    call.remove_suffix(2);
    if (call.empty())
        return 0;
    std::size_t count = 1;
    bool quoted = false;
    for (const char c : call) {
        if (c == '\'')
            quoted = !quoted; // a doubled quote toggles twice
        else if (c == ',' && !quoted)
            ++count;
    }
    return count;
}

TEST(RealTables, EveryTableGivesItsThreeScriptsWithOneArgumentPerParameter) {
    namespace fs = std::filesystem;
    const fs::path root = testdataDir(VORENDAL_TESTDATA_DIR);
    if (root.empty())
        GTEST_SKIP() << "shared test data not found at " << VORENDAL_TESTDATA_DIR;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = ansiUpperCase(entry.path().extension().string());
        if (entry.is_regular_file() && (ext == ".DB" || ext == ".DBF"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    int written = 0;
    TTable table;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string path = utf8ToAnsi(file.string());
        PaneSink sink;
        try {
            table.Close();
            writeStructureScript(table, path, sink);
            writeProcedureScript(table, path, sink);
            const std::size_t before = sink.text.lineCount();
            writeDataExport(table, path, RegionalSettings{}, sink);
            table.Open();
            const std::size_t parameters = static_cast<std::size_t>(table.FieldCount());
            table.Close();
            // memo texts with line breaks span several pane lines: count whole calls only
            std::string call;
            for (std::size_t i = before; i + 1 < sink.text.lineCount(); ++i) {
                call += sink.text.row(i);
                if (call.size() >= 2 && call.compare(call.size() - 2, 2, ");") == 0 &&
                    std::count(call.begin(), call.end(), '\'') % 2 == 0) {
                    EXPECT_EQ(argumentCount(call), parameters) << call;
                    call.clear();
                } else {
                    call += '\n';
                }
            }
            EXPECT_EQ(call, "");
            EXPECT_EQ(sink.text.row(sink.text.lineCount() - 1), "");
            ++written;
        } catch (const EDBEngineError& e) {
            std::printf("refused: %s\n  %s\n", file.string().c_str(), e.what());
        }
    }
    std::printf("%d of %zu tables give their scripts\n", written, files.size());
}

} // namespace
} // namespace vorendal
