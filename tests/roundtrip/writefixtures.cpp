// Writes the round trip's own tables into a folder: every field type of Paradox and of dBASE /
// FoxPro with the values at their edges, and one table per code page with text in that page.
// Usage: writefixtures FOLDER; writefixtures --long FOLDER writes the long values' tables only.

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <string>
#include <vector>

#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/paradoxfixture.h"

namespace fs = std::filesystem;
using namespace vorendal::fixtures;

namespace {

// UTF-8 text in the bytes of a code page, through the C library's converter.
std::string inPage(const std::string& utf8, const char* page) {
    const iconv_t cd = iconv_open(page, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter for ") + page);
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1))
        throw std::runtime_error(std::string("text not in ") + page);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A memo over 64 KiB: many lines ending in CR LF, apostrophes and accented letters (1252).
std::string longMemo() {
    std::string memo;
    for (int i = 0; memo.size() < 70 * 1024; ++i)
        memo += "Linha " + std::to_string(i) + ": a\xE7\xE3o d'\xE1gua 'citada'\r\n";
    return memo;
}

constexpr int kMs = 1000;

void paradoxEveryType(const fs::path& folder) {
    ParadoxTableBuilder t(12);
    t.codePage(1252)
        .field("ID", 'I')
        .field("Nome", 'A', 20)
        .field("Data", 'D')
        .field("Curto", 'S')
        .field("Auto", '+')
        .field("Valor", '$')
        .field("Numero", 'N')
        .field("Ativo", 'L')
        .field("Obs", 'M', 10)
        .field("Binario", 'B', 10)
        .field("Formatado", 'F', 10)
        .field("Ole", 'O', 10)
        .field("Imagem", 'G', 10)
        .field("Hora", 'T')
        .field("Momento", '@')
        .field("Bcd", '#', 2)
        .field("Bytes", 'Y', 8)
        .keyFields(1);
    using namespace px;
    t.row({longInt(1), alpha(""), date(1850, 3, 1), shortInt(-32768), longInt(1),
           number(99999999999999.99), number(1.7976931348623157e308), logical(true),
           blob(longMemo()), blob(""), blob("{\\rtf1 x}"), blob("ole"), blob(patterned(64)),
           time(0), timestamp(1, 1, 1, 0), bcd("-12345678901234.56", 2),
           bytes(std::string("\0\1\2\3\4\5\6\7", 8))});
    t.row({longInt(2), alpha("''''"), date(9999, 12, 31), shortInt(32767), longInt(2),
           number(-0.0001), number(0.1), logical(false), blob("curto 'x'"),
           blob(patterned(1024 * 1024), PxBlobPlace::Single), blank(), blank(), blank(),
           time(23 * 3600 * kMs + 59 * 60 * kMs + 59 * kMs + 999),
           timestamp(2004, 12, 25, 14 * 3600 * kMs + 5 * 60 * kMs + 9 * kMs + 123), bcd("0.01", 2),
           bytes(std::string(8, '\xFF'))});
    t.row({longInt(3), alpha("D'Avila \xC7\xE3o"), date(1899, 12, 30), shortInt(0), longInt(3),
           number(0), number(5e-324), logical(true), blank(), blank(), blank(), blank(), blank(),
           blank(), blank(), blank(), blank()});
    t.row({longInt(4), blank(), date(12000, 1, 1), blank(), longInt(4), blank(), blank(), blank(),
           blank(), blank(), blank(), blank(), blank(), blank(), blank(), blank(), blank()});
    t.index(PxIndexSpec("X02", {"Nome"}));
    t.index(PxIndexSpec("XG0", {"Data", "Curto"}, "DataCurto").descendingOrder());
    t.build().writeTo(folder, "TIPOS");
}

// Names with quotes, dots, spaces and a long Cyrillic field name (two bytes a letter).
void paradoxNames(const fs::path& folder) {
    ParadoxTableBuilder t(12);
    t.codePage(1251)
        .field("Co\"d", 'I')
        .field(inPage("НаименованиеТовараПолное", "CP1251"), 'A', 30)
        .field("a.b c", 'A', 5)
        .keyFields(1);
    t.row({px::longInt(1), px::alpha(inPage("Привет, мир", "CP1251")), px::alpha("x'y")});
    t.index(PxIndexSpec("X02", {inPage("НаименованиеТовараПолное", "CP1251")}));
    t.build().writeTo(folder, "it's \"q\".v1 x");
    ParadoxTableBuilder l(12);
    l.codePage(1252).field("ID", 'I').field("Texto", 'A', 10).keyFields(1);
    l.row({px::longInt(7), px::alpha("longo")});
    l.index(PxIndexSpec("X02", {"Texto"}));
    l.build().writeTo(folder, "TABELA_COM_UM_NOME_MUITO_COMPRIDO_DEMAIS");
}

struct PageText {
    int page;
    const char* name;
    const char* text;
};

constexpr PageText kPages[] = {
    {437, "CP437", "Ça va? Zürich ½ ±"},
    {850, "CP850", "São Paulo, Açaí, Ñandú"},
    {852, "CP852", "Příliš žluťoučký kůň"},
    {866, "CP866", "Съешь же ещё этих мягких булок"},
    {737, "CP737", "Καλημέρα κόσμε"},
    {1250, "CP1250", "Zażółć gęślą jaźń"},
    {1251, "CP1251", "Эх, чужак, общий съём цен шляп"},
    {1253, "CP1253", "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία"},
    {1254, "CP1254", "Pijamalı hasta yağız şoföre"},
    {1257, "CP1257", "Įlinkdama fechtuotojo špaga"},
    {932, "CP932", "いろはにほへと 日本語"},
    {936, "GBK", "我能吞下玻璃而不伤身体"},
    {949, "CP949", "다람쥐 헌 쳇바퀴에 타고파"},
    {950, "BIG5", "我能吞下玻璃而不傷身體"},
};

void codePageTables(const fs::path& folder) {
    for (const PageText& p : kPages) {
        const std::string text = inPage(p.text, p.name);
        ParadoxTableBuilder t(12);
        t.codePage(p.page).field("ID", 'I').field("Texto", 'A', 60).field("Nota", 'M', 10);
        t.row({px::longInt(1), px::alpha(text), px::blob(text + "\r\n" + text)});
        t.row({px::longInt(2), px::blank(), px::blob(std::string(100, 'x') + text)});
        t.build().writeTo(folder, "PX" + std::to_string(p.page));
    }
}

// dBASE language drivers of some of the same pages.
void dbfCodePageTables(const fs::path& folder) {
    const struct {
        std::uint8_t driver;
        const char* name;
        const char* text;
        const char* file;
    } drivers[] = {
        {0x26, "CP866", "Съешь же ещё этих булок", "DB866.DBF"},
        {0x64, "CP852", "Příliš žluťoučký kůň", "DB852.DBF"},
        {0xCB, "CP1253", "Καλημέρα κόσμε", "DB1253.DBF"},
        {0x13, "CP932", "いろはにほへと", "DB932.DBF"},
        {0x4D, "GBK", "我能吞下玻璃", "DB936.DBF"},
        {0x4E, "CP949", "다람쥐 헌 쳇바퀴", "DB949.DBF"},
        {0x4F, "BIG5", "我能吞下玻璃", "DB950.DBF"},
    };
    for (const auto& d : drivers) {
        const std::string text = inPage(d.text, d.name);
        writeFile(folder / d.file, DbfBuilder(0x03)
                                       .languageDriver(d.driver)
                                       .field("TEXTO", 'C', 50)
                                       .record({dbfText(text, 50)})
                                       .record({dbfText("", 50)})
                                       .bytes());
    }
}

void foxProEveryType(const fs::path& folder) {
    FptBuilder fpt;
    const std::uint32_t memo = fpt.add(longMemo());
    const std::uint32_t shortMemo = fpt.add("it's");
    const std::uint32_t picture = fpt.add(patterned(300), FptBuilder::kPicture);
    const std::string dbf =
        DbfBuilder(0x30)
            .tableFlags(0x02)
            .languageDriver(0x03)
            .field("NOME", 'C', 20)
            .field("VALOR", 'N', 12, 2)
            .field("REAL", 'F', 20, 6)
            .field("DATA", 'D', 8)
            .field("ATIVO", 'L', 1)
            .field("INTEIRO", 'I', 4)
            .field("DUPLO", 'B', 8, 3)
            .field("MOEDA", 'Y', 8, 4)
            .field("MOMENTO", 'T', 8)
            .field("OBS", 'M', 4)
            .field("FIGURA", 'G', 4)
            .record({dbfText("''", 20), dbfNumber("-12345.67", 12), dbfNumber("0.1", 20),
                     dbfDate(1700, 1, 1), "T", le32(static_cast<std::uint32_t>(-2147483647)),
                     vfpDouble(3.141592653589793), vfpCurrency(INT64_MAX),
                     vfpDateTime(2004, 12, 25, 0), le32(memo), le32(picture)})
            .record({dbfText("Jos\xE9", 20), dbfNumber("0", 12), dbfNumber("1e300", 20),
                     dbfDate(2999, 12, 31), "F", le32(0), vfpDouble(-0.0), vfpCurrency(-1),
                     vfpDateTime(1, 1, 1, 86399999), le32(shortMemo), le32(0)})
            .record({dbfText("", 20), dbfText("", 12), dbfText("", 20), dbfText("", 8), "?",
                     le32(1), vfpDouble(1e-300), vfpCurrency(0), std::string(8, '\0'), le32(0),
                     le32(0)})
            .bytes();
    writeFile(folder / "FOXTIPOS.DBF", dbf);
    writeFile(folder / "FOXTIPOS.FPT", fpt.bytes());
}

// Fields without a name (blanks, a leading zero byte, an empty Paradox name that is the key) and a
// dBASE character field of width 0 before one that holds text.
void unnamedFields(const fs::path& folder) {
    writeFile(folder / "SEMNOME.DBF", DbfBuilder(0x03)
                                          .field("   ", 'C', 3)
                                          .field("VAZIO", 'C', 0)
                                          .field("B", 'C', 3)
                                          .field(std::string("\0X", 2), 'N', 2)
                                          .record({"abc", "", "def", "12"})
                                          .bytes());
    ParadoxTableBuilder t(12);
    t.field("", 'I').field("Nome", 'A', 10).field(" ", 'A', 5).keyFields(1);
    t.row({px::longInt(1), px::alpha("um"), px::alpha("x")});
    t.build().writeTo(folder, "SEMNOME");
}

// Rules a migration keeps: minimum and maximum, a "today" default, a required field with a
// default and a picture, an autoincrement key whose next number is above every record's; and
// rules the records break (a value below its minimum, a blank required field, a child row
// without its parent), which must cost no row.
void paradoxRules(const fs::path& folder) {
    ParadoxTableBuilder t(12);
    t.field("Id", '+').field("Qtd", 'S').field("Dia", 'D').field("Nome", 'A', 10).keyFields(1);
    t.check("Qtd", {false, px::shortInt(1), px::shortInt(100), {}, {}, {}, 0})
        .check("Dia", {false, {}, {}, px::blank(), {}, {}, 0})
        .check("Nome", {true, {}, {}, px::alpha("novo"), "&*?", {}, 0})
        .lastAutoIncrement(44);
    t.row({px::longInt(1), px::shortInt(5), px::date(2004, 1, 1), px::alpha("a")});
    t.row({px::longInt(2), px::shortInt(100), px::blank(), px::alpha("b")});
    t.build().writeTo(folder, "REGRAS");

    ParadoxTableBuilder broken(12);
    broken.field("Qtd", 'S').field("Nome", 'A', 10);
    broken.check("Qtd", {false, px::shortInt(10), {}, {}, {}, {}, 0}).check("Nome", true);
    broken.row({px::shortInt(5), px::blank()});
    broken.row({px::shortInt(20), px::alpha("b")});
    broken.build().writeTo(folder, "QUEBRADA");

    ParadoxTableBuilder parent(12);
    parent.field("Id", 'I').keyFields(1);
    parent.row({px::longInt(1)});
    parent.row({px::longInt(2)});
    parent.build().writeTo(folder, "PAI");
    ParadoxTableBuilder child(12);
    child.field("Id", 'I').field("Pai", 'I').keyFields(1);
    child.reference({"ao pai", {"Pai"}, "PAI.DB", {1}, true});
    child.row({px::longInt(1), px::longInt(1)});
    child.row({px::longInt(2), px::longInt(3)});
    child.build().writeTo(folder, "FILHO");
}

// Memos too long for one statement of a Firebird script: text, apostrophes (each one doubled in
// a literal) and binary, up to the reader's bound of 64 MiB. One table each, so that no more than
// one value is in memory at a time.
void longValues(const fs::path& folder) {
    const std::size_t sizes[] = {11'000'000, 40'000'000, std::size_t{64} << 20};
    const char* names[] = {"LTEXT", "LQUOTE", "LBIN"};
    for (const std::size_t size : sizes) {
        for (int kind = 0; kind < 3; ++kind) {
            std::string value;
            if (kind == 0) {
                value.reserve(size);
                while (value.size() < size)
                    value += "Texto longo com acentua\xE7\xE3o, linha ap\xF3s linha; ";
                value.resize(size);
            } else {
                value = kind == 1 ? std::string(size, '\'') : patterned(size);
            }
            FptBuilder fpt;
            const std::uint32_t block =
                fpt.add(value, kind == 2 ? FptBuilder::kPicture : FptBuilder::kText);
            value = std::string();
            const std::string name = names[kind] + std::to_string(size >> 20);
            writeFile(folder / (name + ".DBF"), DbfBuilder(0x30)
                                                    .languageDriver(0x03)
                                                    .field("ID", 'N', 4)
                                                    .field("VALOR", kind == 2 ? 'G' : 'M', 4)
                                                    .record({dbfNumber("1", 4), le32(block)})
                                                    .bytes());
            writeFile(folder / (name + ".FPT"), fpt.bytes());
        }
    }
}

} // namespace

// Usage: writefixtures [--long] FOLDER (--long: the long values only).
int main(int argc, char** argv) {
    const bool longOnly = argc == 3 && std::string(argv[1]) == "--long";
    if (argc != 2 && !longOnly) {
        std::fprintf(stderr, "usage: writefixtures [--long] FOLDER\n");
        return 2;
    }
    try {
        const fs::path folder(argv[argc - 1]);
        fs::create_directories(folder);
        if (longOnly) {
            longValues(folder);
            return 0;
        }
        paradoxEveryType(folder);
        paradoxNames(folder);
        codePageTables(folder);
        dbfCodePageTables(folder);
        foxProEveryType(folder);
        unnamedFields(folder);
        paradoxRules(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "writefixtures: %s\n", e.what());
        return 1;
    }
    return 0;
}
