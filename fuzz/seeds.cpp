// Writes the hostile seeds of the fuzz corpus: small tables built the way the reader tests build
// theirs, each damaged the way a hostile file was found to be (duplicate field names, memos and
// blobs that claim gigabytes or are shared by every record, memos without an end, tables cut
// short), and password-protected Paradox tables, framed as the fuzz targets expect their input.
// Also the hostile table definition files: cells that carry statements, a zero byte in a name,
// more than 100 rows, files without their end.
// Usage: vorendal_fuzz_seeds DIR (writes DIR/fuzz_dbf/*, DIR/fuzz_paradox/* and DIR/fuzz_tab/*).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>

#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/paradoxfixture.h"

namespace {

using namespace vorendal::fixtures;
namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// fuzz_dbf framing: table #VRDL# memo #VRDL# index
std::string dbfInput(const std::string& dbf, const std::string& memo = {}) {
    return memo.empty() ? dbf : dbf + "#VRDL#" + memo;
}

// fuzz_paradox framing: table |PX| .MB |PX| .VAL
std::string paradoxInput(const ParadoxFiles& files) {
    const auto mb = files.files.find("MB");
    const auto val = files.files.find("VAL");
    std::string input = files.files.at("DB");
    if (mb != files.files.end() || val != files.files.end())
        input += "|PX|" + (mb != files.files.end() ? mb->second : std::string());
    if (val != files.files.end())
        input += "|PX|" + val->second;
    return input;
}

void dbfSeeds(const fs::path& dir) {
    DbfBuilder duplicates(0x03);
    for (int i = 0; i < 60; ++i)
        duplicates.field(i % 2 ? "a" : "A", 'C', 1);
    duplicates.record({});
    write(dir / "duplicate-names", dbfInput(duplicates.bytes()));

    // one FoxPro memo that claims 300 MB, and every record pointing at one memo
    FptBuilder fpt(64);
    const auto memo = fpt.add("shared by every record");
    std::string hugeFpt = fpt.bytes();
    const auto huge = static_cast<std::uint32_t>(hugeFpt.size() / 64);
    hugeFpt += be32(1) + be32(300000000) + "cut";
    DbfBuilder shared(0x30);
    shared.field("NOTES", 'M', 4);
    for (int i = 0; i < 40; ++i)
        shared.record({le32(i == 0 ? huge : memo)});
    write(dir / "fpt-huge-and-shared", dbfInput(shared.bytes(), hugeFpt));

    // dBASE III: memos without their end marker, pointers past the end, an empty memo file
    const std::string dbt3 =
        DbtBuilder(DbtBuilder::Style::DBase3).bytes() + std::string(2048, '\0');
    DbfBuilder endless(0x83);
    endless.field("NOTE", 'M', 10);
    for (const std::uint32_t block : {1u, 1u, 2u, 1u, 999u, 3u})
        endless.record({dbfMemoPointer(block)});
    write(dir / "dbt3-endless", dbfInput(endless.bytes(), dbt3));
    write(dir / "dbt3-empty-memo-file", endless.bytes() + "#VRDL#");

    // dBASE IV: a block whose length runs past the end
    std::string dbt4 = DbtBuilder(DbtBuilder::Style::DBase4).bytes();
    dbt4 += std::string("\xFF\xFF\x08\x00", 4) + le32(0x7FFFFFFF) + "xx";
    write(dir / "dbt4-length-past-end",
          dbfInput(DbfBuilder(0x8B).field("NOTE", 'M', 10).record({dbfMemoPointer(1)}).bytes(),
                   dbt4));

    // a table cut short: its header counts ten records, two and a half are there
    std::string cut = DbfBuilder(0x03)
                          .field("C", 'C', 4)
                          .record({"aaaa"})
                          .record({"bbbb"})
                          .record({"cccc"})
                          .declaredRecordCount(10)
                          .bytes();
    cut.resize(cut.size() - 3);
    write(dir / "truncated", dbfInput(cut));

    // dBASE 7 field properties of every kind, a Visual FoxPro autoincrement counter
    write(dir / "dbase7-properties", dbfInput(DbfBuilder(0x04)
                                                  .field("ID", '+', 4)
                                                  .nextAutoIncrement(8)
                                                  .field("NAME", 'C', 10)
                                                  .field("QTY", 'I', 4)
                                                  .requiredProperty(2)
                                                  .defaultProperty(2, dbfText("anon", 10))
                                                  .minimumProperty(3, dbase7Integer(1))
                                                  .maximumProperty(3, dbase7Integer(99))
                                                  .constraintProperty("QTY < 50")
                                                  .integrityEntries(1)
                                                  .record({dbase7Integer(1), "x", dbase7Integer(5)})
                                                  .bytes()));
    write(dir / "vfp-autoincrement", dbfInput(DbfBuilder(0x31)
                                                  .field("ID", 'I', 4, 0, 0x0C)
                                                  .nextAutoIncrement(100, 5)
                                                  .field("NAME", 'C', 10, 0, 0x02)
                                                  .field("_NullFlags", '0', 1, 0, 0x05)
                                                  .record({le32(1), "a", "\x00"})
                                                  .bytes()));
}

void paradoxSeeds(const fs::path& dir) {
    ParadoxTableBuilder duplicates(12);
    for (int i = 0; i < 60; ++i)
        duplicates.field(i % 2 ? "a" : "A", 'A', 1);
    duplicates.row({});
    write(dir / "duplicate-names", paradoxInput(duplicates.build()));

    // a single blob block of 0xFFFF * 4 KiB claiming a value of 200 MB
    ParadoxTableBuilder blobs(12);
    blobs.field("Memo", 'M', 10).recordsPerBlock(8);
    blobs.row({px::blob(std::string(5000, 'b'), PxBlobPlace::Single)});
    for (int i = 0; i < 7; ++i)
        blobs.row({px::blob(std::string(100, 's'), PxBlobPlace::Shared)});
    ParadoxFiles files = blobs.build();
    const std::size_t trailer = blobs.blockOffset(1) + 6 + 10;
    write(dir / "blobs", paradoxInput(files));
    ParadoxFiles huge = files;
    pokeU16(huge.at("MB"), 0x1001, 0xFFFF);
    pokeU32(huge.at("MB"), 0x1003, 200000000);
    pokeU32(huge.table(), trailer + 4, 200000000);
    write(dir / "blob-huge", paradoxInput(huge));
    // every record pointing at the first record's blob
    ParadoxFiles shared = files;
    for (std::size_t r = 1; r < 8; ++r)
        shared.table().replace(trailer + r * 20, 10, shared.table().substr(trailer, 10));
    write(dir / "blob-shared", paradoxInput(shared));

    // a table cut inside its first block
    ParadoxFiles cut = files;
    cut.table().resize(blobs.blockOffset(1) + 6 + 50);
    write(dir / "truncated", paradoxInput(cut));

    // validity checks of every kind and a referential-integrity rule
    ParadoxTableBuilder checks(11);
    checks.field("Id", '+').field("Name", 'A', 8).field("Born", 'D').field("Code", 'I');
    checks.lastAutoIncrement(7).row({px::longInt(7), px::alpha("ana")});
    checks.check("Name", {true, {}, {}, px::alpha("novo"), "!*?", "NAMES.DB", 0x03})
        .check("Born", {false, px::date(1900, 1, 1), px::blank(), px::blank(), {}, {}, 0})
        .reference({"Ref", {"Code"}, "PARENT.DB", {1}, true});
    write(dir / "validity-checks", paradoxInput(checks.build()));
}

// Password-protected tables: blocks and .MB scrambled, sound, under a wrong key and cut short.
void protectedParadoxSeeds(const fs::path& dir) {
    for (const std::uint8_t version : {4, 9, 12}) {
        ParadoxTableBuilder b(version);
        b.field("Id", 'S').field("Memo", 'M', 4).field("Pic", 'G').blockKiB(1).recordsPerBlock(3);
        for (std::int16_t i = 0; i < 7; ++i)
            b.row({px::shortInt(i), px::blob(std::string(40u + 500u * (i % 3), 'm')),
                   i == 0 ? px::blob(std::string(1200, 'g'), PxBlobPlace::Single) : px::blank()});
        const ParadoxFiles files = b.encryption(0x0A25E09A).build();
        const std::string name = "protected-" + std::to_string(version);
        write(dir / name, paradoxInput(files));
        if (version == 12) {
            ParadoxFiles wrongKey = files;
            pokeU16(wrongKey.table(), 0x5C, 0x1234);
            write(dir / (name + "-wrong-key"), paradoxInput(wrongKey));
            ParadoxFiles cut = files;
            cut.table().resize(b.blockOffset(3) + 100);
            write(dir / (name + "-cut"), paradoxInput(cut));
        }
    }
}

// A table definition file: five CR LF lines per row (cells separated by "|" in rows), then "#".
std::string tabFile(std::initializer_list<std::string_view> rows, bool closed = true) {
    std::string text;
    for (std::string_view row : rows) {
        for (std::size_t start = 0;;) {
            const std::size_t bar = row.find('|', start);
            text.append(row.substr(start, bar - start)).append("\r\n");
            if (bar == std::string_view::npos)
                break;
            start = bar + 1;
        }
    }
    return closed ? text + "#\r\n" : text;
}

void tabSeeds(const fs::path& dir) {
    write(dir / "clientes", tabFile({"codigo|i||x|", "nome|v|60||N", "saldo|n|15,2||S"}));
    write(dir / "size-injection",
          tabFile({"a|v|10) CHARACTER SET UTF8); CREATE TABLE PWNED7 (X INTEGER||"}));
    write(dir / "type-injection", tabFile({"a|INTEGER); DROP TABLE T; --|||", "b|c|2||"}));
    write(dir / "numeric-injection", tabFile({"a|n|15,2); CREATE TABLE P (X INTEGER|||"}));
    write(dir / "zero-byte-name",
          tabFile({std::string_view("a\0|i|||", 7),
                   "x\" INTEGER); CREATE TABLE PWNED (Y INTEGER); --|i|||"}));
    write(dir / "quotes-in-names", tabFile({"a\"b|v|8|*|", "\"\"|c|||N", "#x|m|||"}));
    write(dir / "bounds", tabFile({"v|v|8191||", "w|v|8192||", "n|n|18,18||", "p|n|19||", "z|n|0||",
                                   "c|c|0||", "d|c|00012||", "e|v|-1||"}));
    write(dir / "without-end", tabFile({"a|v|10||", "b|"}, false));
    write(dir / "cr-and-ctrl-z", "a\rb\r\nv\r\n1\r\n\r\n\r\nc\x1Av\r\n#\r\n");
    std::string many;
    for (int i = 1; i <= 150; ++i)
        many += "f" + std::to_string(i) + "\r\ni\r\n\r\n\r\n\r\n";
    write(dir / "150-rows", many + "#\r\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    dbfSeeds(fs::path(argv[1]) / "fuzz_dbf");
    paradoxSeeds(fs::path(argv[1]) / "fuzz_paradox");
    protectedParadoxSeeds(fs::path(argv[1]) / "fuzz_paradox");
    tabSeeds(fs::path(argv[1]) / "fuzz_tab");
    return 0;
}
