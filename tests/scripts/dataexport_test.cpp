// The data export: the PRODUTOS reference output, what each field type contributes (one argument
// each), and what a failure or a cancel leaves; every real table of the shared test data through
// the three scripts.

#include "scripts/dataexport.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "scripts/procedurescript.h"
#include "scripts/structurescript.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"
#include "tests/scripts/panesink.h"

namespace vorendal {
namespace {

using namespace fixtures;
using Lines = std::vector<std::string>;

RegionalSettings brazilian() {
    RegionalSettings s;
    s.decimalSeparator = ",";
    s.shortDatePattern = "dd/MM/yyyy";
    s.twentyFourHour = true;
    s.hourLeadingZero = true;
    return s;
}

TEST(DataExport, ProdutosReferenceOutput) {
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
    EXPECT_EQ(sink.lines(),
              (Lines{"EXECUTE PROCEDURE IN_PRODUTOS(1,'Caneta azul',\"S\",2.50,1.2345,25/12/2004,"
                     "14:05:09);",
                     "EXECUTE PROCEDURE IN_PRODUTOS(2,'Papel A4',\"N\",-3.46,19.9,30/12/1899,"
                     "00:00:00);",
                     ""}));
    EXPECT_FALSE(table.Active());
}

class FakeExport : public ::testing::Test {
protected:
    FakeFiles fake;
    TTable table{"Table1", fake.factory()};
    PaneSink sink;

    void define(std::vector<engine::FieldDescription> fields,
                std::vector<std::vector<engine::Value>> records) {
        fake.tables["/d/T.db"] = {std::move(fields), {}, std::move(records)};
    }
    void run(const ExportProgress& progress = {}) {
        writeDataExport(table, "/d/T.db", brazilian(), sink, progress);
    }
};

TEST_F(FakeExport, EveryFieldGivesOneArgument) {
    engine::Value stamp;
    stamp.setDateTime(engine::dayNumberFromCivil(2004, 12, 25), (14 * 3600 + 5 * 60 + 9) * 1000);
    const std::vector<std::pair<engine::FieldDescription, engine::Value>> fields = {
        {{"S", ftString, 9, false}, textValue("Rua A, 10")},
        {{"Q", ftString, 9, false}, textValue("O'Brien ''")},
        {{"Z", ftString, 9, false}, textValue(std::string("ab\0c'd", 6))},
        {{"E", ftString, 9, false}, nullValue()},
        {{"M", ftMemo, 9, false}, textValue("it's")},
        {{"FM", ftFmtMemo, 9, false}, textValue("{\\rtf1 x}")},
        {{"I", ftInteger, 0, false}, integerValue(-5)},
        {{"IN", ftInteger, 0, false}, nullValue()},
        {{"SI", ftSmallint, 0, false}, integerValue(-32768)},
        {{"W", ftWord, 0, false}, integerValue(65535)},
        {{"A", ftAutoInc, 0, false}, integerValue(3)},
        {{"L", ftLargeint, 0, false}, integerValue(-9223372036854775807LL)},
        {{"B", ftBoolean, 0, false}, nullValue()},
        {{"BC", ftBCD, 2, false}, floatValue(-1234.5)},
        {{"DT", ftDateTime, 0, false}, stamp},
        {{"TS", ftTimeStamp, 0, false}, stamp},
        {{"DN", ftDateTime, 0, false}, nullValue()},
        {{"BL", ftBlob, 9, false}, bytesValue("\x01'")},
        {{"G", ftGraphic, 9, false}, bytesValue("GIF")},
        {{"BY", ftBytes, 2, false}, bytesValue("ab")},
        {{"O", ftParadoxOle, 9, false}, nullValue()},
    };
    std::vector<engine::FieldDescription> definitions;
    std::vector<engine::Value> record;
    for (const auto& [definition, value] : fields) {
        definitions.push_back(definition);
        record.push_back(value);
    }
    define(definitions, {record});
    run();
    EXPECT_EQ(sink.lines(),
              (Lines{"EXECUTE PROCEDURE IN_T('Rua A, 10','O''Brien ''''','ab','','it''s',"
                     "'{\\rtf1 x}',-5,0,-32768,65535,3,-9223372036854775807,\"N\",-1234.5,"
                     "25/12/2004 14:05:09,25/12/2004 14:05:09,30/12/1899 00:00:00,NULL,NULL,NULL,"
                     "NULL);",
                     ""}));
}

TEST_F(FakeExport, AColumnWithoutFieldShiftsTheFieldsAgainstTheDefinitions) {
    define({{"U", ftUnknown, 0, false}, {"S", ftString, 5, false}, {"I", ftInteger, 0, false}},
           {{nullValue(), textValue("abc"), integerValue(5)}});
    run();
    // field 0 (S) is written as definition 0 (no value), field 1 (I) as definition 1 (text)
    EXPECT_EQ(sink.lines(), (Lines{"EXECUTE PROCEDURE IN_T(NULL,'5');", ""}));
    define({}, {}); // no fields, no records: the closing empty line only
    run();
    EXPECT_EQ(sink.lines(), (Lines{"EXECUTE PROCEDURE IN_T(NULL,'5');", "", ""}));
}

TEST_F(FakeExport, FailuresAndCancelLeaveTheLinesBefore) {
    std::vector<std::vector<engine::Value>> records;
    for (int i = 0; i < 2500; ++i)
        records.push_back({integerValue(i)});
    define({{"I", ftInteger, 0, false}}, records);
    // nothing selected, an unreadable file: nothing appended
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
    EXPECT_EQ(sink.line(2047), "EXECUTE PROCEDURE IN_T(2047);");
    EXPECT_FALSE(table.Active());

    // a full pane: the export ends at the line that did not fit, the table stays open
    sink.text.clear();
    sink.text.setCapacity(100);
    EXPECT_THROW(run(), EOutOfResources);
    EXPECT_EQ(sink.lines(), (Lines{"EXECUTE PROCEDURE IN_T(0);", "EXECUTE PROCEDURE IN_T(1);",
                                   "EXECUTE PROCEDURE IN_T(2);"}));
    EXPECT_TRUE(table.Active());
}

// The arguments of one call: commas outside the quoted texts separate them.
std::size_t argumentCount(std::string_view call) {
    call = call.substr(call.find('(') + 1);
    std::size_t count = call.size() > 2 ? 1 : 0;
    bool quoted = false;
    for (const char c : call) {
        quoted = c == '\'' ? !quoted : quoted; // a doubled quote toggles twice
        count += c == ',' && !quoted ? 1 : 0;
    }
    return count;
}

TEST(RealTables, EveryTableGivesItsThreeScriptsWithOneArgumentPerParameter) {
    namespace fs = std::filesystem;
    const fs::path root = testdataDir(VORENDAL_TESTDATA_DIR);
    if (root.empty())
        GTEST_SKIP() << "shared test data not found at " << VORENDAL_TESTDATA_DIR;
    int written = 0;
    int files = 0;
    TTable table;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = ansiUpperCase(entry.path().extension().string());
        if (!entry.is_regular_file() || (ext != ".DB" && ext != ".DBF"))
            continue;
        ++files;
        SCOPED_TRACE(entry.path().string());
        const std::string path = utf8ToAnsi(entry.path().string());
        PaneSink sink;
        try {
            table.Close();
            writeStructureScript(table, path, sink);
            writeProcedureScript(table, path, sink);
            const std::size_t first = sink.text.lineCount();
            writeDataExport(table, path, RegionalSettings{}, sink);
            table.Open();
            const auto parameters = static_cast<std::size_t>(table.FieldCount());
            table.Close();
            // a memo with line breaks spans several pane lines: count whole calls
            std::string call;
            for (std::size_t i = first; i + 1 < sink.text.lineCount(); ++i) {
                call += sink.line(i);
                if (call.ends_with(");") && std::count(call.begin(), call.end(), '\'') % 2 == 0) {
                    EXPECT_EQ(argumentCount(call), parameters) << call;
                    call.clear();
                }
            }
            EXPECT_EQ(call, "");
            EXPECT_EQ(sink.lines().back(), "");
            ++written;
        } catch (const EDBEngineError& e) {
            std::printf("refused: %s\n  %s\n", entry.path().string().c_str(), e.what());
        }
    }
    EXPECT_GT(written, 60);
    std::printf("%d of %d tables give their scripts\n", written, files);
}

} // namespace
} // namespace vorendal
