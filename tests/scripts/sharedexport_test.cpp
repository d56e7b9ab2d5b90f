// The data export made on several threads writes what one thread writes: the same lines, counts,
// damage and replaced characters, and on a failure the same lines before it.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/exceptions.h"
#include "scripts/dataexport.h"
#include "scripts/linesink.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/faketable.h"

namespace vorendal {
namespace {

struct TextSink : LineSink {
    std::string text;
    void appendLine(std::string_view line) override {
        text += line;
        text += '\n';
    }
};

// Each field's cells, taken in turn by the records: every way of writing a value of the type.
const std::vector<std::vector<std::string>> kCells = {
    {"1", "-42", "", "*********", "000000007", "+5", "-0"},                   // N(9)
    {"123456789012345678", "-1", "", "1.5", "99999999999999999"},             // N(18)
    {"-1500.00", "0.005", "-0.004", "", "1234567890.12", "1,25", "0.00"},     // N(12,2)
    {"2.675", "-0.125", "1.0005", "1e5", "123456789.1234", "", "-0.0001"},    // N(14,4)
    {"1.5E+300", "-2.5E-10", "12345678901234567890", "0.1", "", "****"},      // F(20,3)
    {"20041225", "        ", "00000000", "19991231", "20000230", "00010101"}, // D
    {"T", "F", "?", " ", "y", "n"},                                           // L
    {"O'Brien", "", "Jos\x82 Concei\x87\xc6o", std::string("ab\0cd", 5), "a\rb", "\xb0\xb1"},
};

std::string writeTable(const std::filesystem::path& folder, int records) {
    fixtures::DbfBuilder builder(0x03);
    builder
        .languageDriver(0x02) // code page 850
        .field("I", 'N', 9)
        .field("BIG", 'N', 18)
        .field("AMOUNT", 'N', 12, 2)
        .field("RATE", 'N', 14, 4)
        .field("F", 'F', 20, 3)
        .field("D", 'D', 8)
        .field("L", 'L', 1)
        .field("NAME", 'C', 12);
    for (int r = 0; r < records; ++r) {
        std::vector<std::string> cells;
        for (std::size_t f = 0; f < kCells.size(); ++f)
            cells.push_back(kCells[f][static_cast<std::size_t>(r + r / 7) % kCells[f].size()]);
        if (r % 97 == 13)
            builder.deletedRecord(cells);
        else
            builder.record(cells);
    }
    const std::filesystem::path path = folder / "MIXED.DBF";
    std::ofstream(path, std::ios::binary) << builder.bytes();
    return path.string();
}

struct Exported {
    std::string text;
    std::uint64_t records = 0;
    std::string nulls; // the values written as NULL, record and field
    std::string damage;
    std::uint64_t replaced = 0;
    std::string error;
};

Exported exportWith(const std::string& path, bool firebird, unsigned threads) {
    TTable table;
    if (firebird)
        table.setTextDelivery(engine::TextDelivery::Utf8);
    TextSink sink;
    Exported exported;
    try {
        const ExportResult result = writeDataExport(
            table, path, RegionalSettings{}, sink, {},
            firebird ? firebirdDataExportProfile() : classicDataExportProfile(), threads);
        exported.records = result.records;
        for (const NullWritten& null : result.firstNulls)
            exported.nulls += std::to_string(null.record) + " " + null.field + "\n";
    } catch (const Exception& e) {
        exported.error = e.message();
    }
    exported.text = sink.text;
    exported.damage = damageMessage(table.damage());
    exported.replaced = table.replacedCharacters().values;
    return exported;
}

TEST(SharedExport, AnyNumberOfThreadsWritesWhatOneWrites) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("vorendal-shared-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = writeTable(folder, 3000);
    // the same table cut inside a record some 600 before its end (records of 95 bytes): the
    // whole records, then the error
    const std::string cut = (folder / "CUT.DBF").string();
    std::filesystem::copy_file(path, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(path) - 600 * 95 - 30);
    for (const bool firebird : {false, true}) {
        const Exported one = exportWith(path, firebird, 1);
        EXPECT_EQ(one.records, 3000u - 31u);
        EXPECT_NE(one.damage, "");              // the text after a zero byte
        EXPECT_EQ(one.replaced > 0, !firebird); // the box characters have no 1252 form
        const Exported oneCut = exportWith(cut, firebird, 1);
        EXPECT_NE(oneCut.error, "");
        for (const unsigned threads : {2u, 7u}) {
            const std::string what =
                std::to_string(threads) + (firebird ? " firebird" : " classic");
            const Exported many = exportWith(path, firebird, threads);
            EXPECT_EQ(many.text, one.text) << what;
            EXPECT_EQ(many.records, one.records) << what;
            EXPECT_EQ(many.nulls, one.nulls) << what;
            EXPECT_EQ(many.damage, one.damage) << what;
            EXPECT_EQ(many.replaced, one.replaced) << what;
            const Exported manyCut = exportWith(cut, firebird, threads);
            EXPECT_EQ(manyCut.text, oneCut.text) << what << " cut";
            EXPECT_EQ(manyCut.error, oneCut.error) << what << " cut";
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(SharedExport, AFailingRecordEndsTheExportAfterTheLinesBeforeIt) {
    fixtures::FakeFiles fake;
    std::vector<std::vector<engine::Value>> records;
    for (int i = 0; i < 2000; ++i)
        records.push_back({i == 1500 ? fixtures::textValue("x") : fixtures::integerValue(i)});
    fake.tables["/d/T.db"] = {{{"I", ftInteger, 0, false}}, {}, records};
    std::string once;
    for (const unsigned threads : {1u, 2u, 7u}) {
        TTable table("Table1", fake.factory());
        TextSink sink;
        EXPECT_THROW(
            writeDataExport(table, "/d/T.db", {}, sink, {}, classicDataExportProfile(), threads),
            EDatabaseError);
        EXPECT_EQ(std::count(sink.text.begin(), sink.text.end(), '\n'), 1500) << threads;
        if (threads == 1)
            once = sink.text;
        EXPECT_EQ(sink.text, once) << threads; // nothing of the failing record's line
    }
}

TEST(SharedExport, ValuesWrittenAsNullKeepTheirRecordNumbers) {
    fixtures::FakeFiles fake;
    std::vector<std::vector<engine::Value>> records;
    for (int i = 0; i < 2500; ++i) // a SMALLINT holds none of them past 32767
        records.push_back({fixtures::integerValue(i % 301 == 7 ? 40000 + i : i)});
    fake.tables["/d/T.db"] = {{{"S", ftSmallint, 0, false}}, {}, records};
    std::vector<std::uint64_t> once;
    for (const unsigned threads : {1u, 2u, 7u}) {
        TTable table("Table1", fake.factory());
        TextSink sink;
        const ExportResult result =
            writeDataExport(table, "/d/T.db", {}, sink, {}, firebirdDataExportProfile(), threads);
        std::vector<std::uint64_t> numbers;
        for (const NullWritten& null : result.firstNulls)
            numbers.push_back(null.record);
        if (threads == 1)
            once = numbers;
        EXPECT_EQ(numbers, once) << threads;
    }
    EXPECT_EQ(once.size(), 9u);
    EXPECT_EQ(once.front(), 8u);
}

} // namespace
} // namespace vorendal
