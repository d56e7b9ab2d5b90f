#include <gtest/gtest.h>

#include "base/ansi.h"
#include "source/engine/codepage.h"
#include "source/engine/codepagechoice.h"
#include "source/engine/tablereader.h"
#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/dbfreadback.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::engine {
namespace {

using fixtures::DbfBuilder;
using fixtures::ParadoxTableBuilder;
using Lines = std::vector<std::string>;

// Texts as users typed them (1252 here), written below under each code page.
Lines ansi(std::initializer_list<const char*> utf8) {
    Lines out;
    for (const char* t : utf8)
        out.push_back(utf8ToAnsi(t));
    return out;
}
const Lines kPortuguese =
    ansi({"João da Conceição", "Avenida São Gonçalo, 123", "EXPOSIÇÃO DE AÇÕES",
          "Informações não disponíveis", "Mãe e irmã de José", "ÊXITO TOTAL", "Pão de Açúcar"});
const Lines kPortugueseOf437 =
    ansi({"Café com açúcar", "Você é médico", "Avô e avó", "Fábrica de calçados"});
const Lines kFrench = ansi({"Hélène Lefèvre", "Château de la Forêt", "Élève très âgé",
                            "Ça coûte cher", "Noël et Zoë", "Garçon français"});
const Lines kFrenchCapitals =
    ansi({"À BIENTÔT, HÉLÈNE", "ÉCOLE NORMALE SUPÉRIEURE", "Crème brûlée à la française"});
const Lines kGerman =
    ansi({"Müller Straße", "Größe und Länge", "Bäckerei Köln", "ÄRZTE ÜBER ÖL", "Fußgängerzone"});

// The bytes of 1252 text under page, or nullopt when the page cannot write one of its letters.
std::optional<std::string> encoded(const std::string& ansi, int page) {
    if (page == kUtf8CodePage)
        return ansiToUtf8(ansi);
    const CodePage cp(page);
    std::string out;
    for (char c : ansi) {
        char byte = c;
        for (int b = 0x80; static_cast<unsigned char>(c) >= 0x80 && b < 0x100; ++b) {
            byte = static_cast<char>(b);
            if (cp.toAnsi(std::string(1, byte)) == std::string(1, c))
                break;
            byte = 0;
        }
        if (byte == 0)
            return std::nullopt;
        out += byte;
    }
    return out;
}

std::string silentDbf(const Lines& texts) {
    DbfBuilder b(0x03);
    b.field("NOME", 'C', 60);
    for (const auto& t : texts)
        b.record({fixtures::dbfText(t, 60)});
    return b.bytes();
}

std::string silentParadox(const Lines& texts) {
    ParadoxTableBuilder b(3); // Paradox 3.0 records no code page
    b.field("Nome", 'A', 60);
    for (const auto& t : texts)
        b.row({fixtures::px::alpha(t)});
    return b.build().table();
}

// Every text of column 0, and the page the reader chose.
struct Reading {
    Lines texts;
    CodePageChoice page;
};

Reading readAll(TableReader& reader) {
    Reading r{{}, reader.codePage()};
    Value v;
    for (bool more = reader.first(); more; more = reader.next()) {
        reader.value(0, v);
        r.texts.push_back(v.isNull() ? "" : v.text);
    }
    return r;
}

TEST(CodePageDetection, SilentTablesReadRightUnderEveryPage) {
    const std::pair<const char*, const Lines*> languages[] = {{"Portuguese", &kPortuguese},
                                                              {"Portuguese437", &kPortugueseOf437},
                                                              {"French", &kFrench},
                                                              {"French capitals", &kFrenchCapitals},
                                                              {"German", &kGerman}};
    for (const auto& [language, texts] : languages) {
        for (int page : {437, 850, 860, 1252, kUtf8CodePage}) {
            Lines bytes;
            for (const auto& t : *texts) {
                if (const auto e = encoded(t, page))
                    bytes.push_back(*e);
            }
            if (bytes.size() != texts->size())
                continue; // the page cannot write this language
            SCOPED_TRACE(testing::Message() << language << " under " << page);
            for (bool paradox : {false, true}) {
                const std::string table = paradox ? silentParadox(bytes) : silentDbf(bytes);
                MemoryTableFiles files("T", paradox ? "DB" : "DBF", table);
                const Reading r = readAll(*openTableReader(files));
                EXPECT_EQ(r.texts, *texts);
                // A page that reads every letter alike may stand for another: 850 for 437.
                std::string as437;
                for (const auto& b : bytes)
                    as437 += CodePage(437).toAnsi(b);
                std::string all;
                for (const auto& t : *texts)
                    all += t;
                if (as437 != all) {
                    EXPECT_EQ(r.page.number, page);
                }
                EXPECT_EQ(r.page.reason, CodePageReason::Detected);
            }
        }
    }
}

TEST(CodePageDetection, MemoTextCounts) {
    fixtures::DbtBuilder dbt(fixtures::DbtBuilder::Style::DBase3);
    const std::uint32_t block = dbt.add(*encoded(kPortuguese[3] + ", " + kPortuguese[0], 850));
    const std::string dbf = DbfBuilder(0x83)
                                .field("ID", 'N', 3)
                                .field("OBS", 'M', 10)
                                .record({"  1", fixtures::dbfMemoPointer(block)})
                                .bytes();
    const auto reader = openTableReader(*fixtures::memoryDbf(dbf, {{"dbt", dbt.bytes()}}));
    EXPECT_EQ(reader->codePage().number, 850);
}

TEST(CodePageDetection, AsciiAndStatedTablesKeepTheirPage) {
    MemoryTableFiles ascii("T", "DBF", silentDbf({"Joao", "Sao Paulo"}));
    const Reading plain = readAll(*openTableReader(ascii));
    EXPECT_EQ(plain.texts, (Lines{"Joao", "Sao Paulo"}));
    EXPECT_EQ(plain.page.number, 437);
    EXPECT_EQ(plain.page.reason, CodePageReason::Default);
    // The header says 1252: bytes that read better under 850 stay 1252.
    const std::string raw = *encoded(kPortuguese[0], 850);
    MemoryTableFiles stated("T", "DBF",
                            DbfBuilder(0x03)
                                .languageDriver(0x03)
                                .field("NOME", 'C', 30)
                                .record({fixtures::dbfText(raw, 30)})
                                .bytes());
    const Reading r = readAll(*openTableReader(stated));
    EXPECT_EQ(r.texts, Lines{raw});
    EXPECT_EQ(r.page.number, 1252);
    EXPECT_EQ(r.page.reason, CodePageReason::Header);
}

TEST(CodePageChoice, CpgBesideTheTableWinsOverTheHeader) {
    struct Case {
        std::string cpg;
        int number;
        CodePageReason reason;
        bool warns;
    };
    const Case cases[] = {
        {"850", 850, CodePageReason::Cpg, false},
        {"  ansi 1252\r\n", 1252, CodePageReason::Cpg, false},
        {"\xEF\xBB\xBFUTF-8\n", kUtf8CodePage, CodePageReason::Cpg, false},
        {"cp866", 866, CodePageReason::Cpg, false},
        {"Windows-1251", 1251, CodePageReason::Cpg, false},
        {"OEM", 850, CodePageReason::Cpg, false}, // a DOS page: the text says which
        {"EBCDIC", 1252, CodePageReason::Header, true},
        {"", 1252, CodePageReason::Header, true},
    };
    // The header says 1252; the text is 850.
    std::string text = *encoded(kPortuguese[0], 850);
    const std::string dbf = DbfBuilder(0x03)
                                .languageDriver(0x03)
                                .field("NOME", 'C', 30)
                                .record({fixtures::dbfText(text, 30)})
                                .bytes();
    const std::string db = ParadoxTableBuilder(9)
                               .codePage(1252)
                               .field("Nome", 'A', 30)
                               .row({fixtures::px::alpha(text)})
                               .build()
                               .table();
    for (const auto& c : cases) {
        for (bool paradox : {false, true}) {
            SCOPED_TRACE(c.cpg + (paradox ? " (Paradox)" : " (dBASE)"));
            MemoryTableFiles files("T", paradox ? "DB" : "DBF", paradox ? db : dbf);
            files.addCompanion("CPG", c.cpg);
            const Reading r = readAll(*openTableReader(files));
            EXPECT_EQ(r.page.number, c.number);
            EXPECT_EQ(r.page.reason, c.reason);
            EXPECT_EQ(!r.page.warning.empty(), c.warns);
            if (c.number == 850) {
                EXPECT_EQ(r.texts, Lines{kPortuguese[0]});
            }
        }
    }
    // The caller's page wins over both.
    MemoryTableFiles files("T", "DBF", dbf);
    files.addCompanion("cpg", "1252");
    const Reading forced = readAll(*openTableReader(files, ReadOptions{850}));
    EXPECT_EQ(forced.page.number, 850);
    EXPECT_EQ(forced.page.reason, CodePageReason::Option);
    EXPECT_EQ(forced.texts, Lines{kPortuguese[0]});
}

TEST(CodePageChoice, NamesOfPages) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"850", 850},          {" CP1252 ", 1252}, {"ibm437", 437},        {"utf8", kUtf8CodePage},
        {"ISO-8859-1", 28591}, {"OEM 860", 860},   {"1234", std::nullopt}, {"latin9", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, page] : cases)
        EXPECT_EQ(codePageFromName(name), page) << name;
    EXPECT_EQ(codePageName(kUtf8CodePage), "utf-8");
}

TEST(CodePageChoice, TheWindowsTableComponentKeepsAForcedPageAcrossOpenings) {
    fixtures::TempDir dir;
    const std::string raw = *encoded(kPortuguese[0], 850);
    const std::string dbf =
        DbfBuilder(0x03).field("NOME", 'C', 30).record({fixtures::dbfText(raw, 30)}).bytes();
    const std::string first = utf8ToAnsi(dir.write("A.DBF", dbf).string());
    const std::string second = utf8ToAnsi(dir.write("B.DBF", dbf).string());
    dir.write("b.CPG", "1252");
    TTable table;
    table.setTableName(second);
    table.Open();
    EXPECT_EQ(table.codePageUsed().reason, CodePageReason::Cpg);
    EXPECT_EQ(table.Fields(0).AsString(), raw);
    table.Close();
    table.setCodePage(850);
    for (const std::string& path : {first, second}) {
        table.Close();
        table.setTableName(path);
        table.Open();
        EXPECT_EQ(table.codePageUsed().number, 850);
        EXPECT_EQ(table.codePageUsed().reason, CodePageReason::Option);
        EXPECT_EQ(table.Fields(0).AsString(), kPortuguese[0]);
    }
}

// Real tables that name no page: detection picks the page their text is in when it is one of
// the candidates, and leaves 437 for text of other scripts in other pages.
TEST(CodePageDetection, SilentRealTables) {
    const std::filesystem::path dir = fixtures::testdataDir(VORENDAL_TESTDATA_DIR);
    if (dir.empty())
        GTEST_SKIP() << "no test data folder at " << VORENDAL_TESTDATA_DIR;
    const std::tuple<const char*, int, CodePageReason> cases[] = {
        {"dbase/ruby-dbf-infused/dbase_f5.dbf", 437, CodePageReason::Detected}, // Catalan
        {"dbase/JxBase-jferard/111.dbf", kUtf8CodePage, CodePageReason::Detected},
        {"dbase/ruby-dbf-infused/dbase_03_cyrillic.dbf", kUtf8CodePage, CodePageReason::Detected},
        {"dbase/dBASE.NET-henck/CP866/SPXXXX0159.dbf", 437, CodePageReason::Default},
        {"dbase/DBFFile-yortus/WSPMST.DBF", 437, CodePageReason::Default},           // Thai
        {"dbase/DBFFile-yortus/dbase_not_latin1.dbf", 437, CodePageReason::Default}, // Big5
        {"paradox/paradoxReader-teverett/PCLDATA/PCL.DB", 437, CodePageReason::Default},
    };
    for (const auto& [path, page, reason] : cases) {
        DiskTableFiles files(dir / path);
        const CodePageChoice choice = openTableReader(files)->codePage();
        EXPECT_EQ(choice.number, page) << path;
        EXPECT_EQ(choice.reason, reason) << path;
    }
}

} // namespace
} // namespace vorendal::engine
