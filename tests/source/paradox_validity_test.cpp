// Required flags of Paradox columns, from the validity checks file (.VAL) beside the table.
#include <gtest/gtest.h>

#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"

namespace vorendal {
namespace {

using fixtures::ParadoxTableBuilder;
namespace px = fixtures::px;

std::string requiredColumns(const engine::TableReader& reader) {
    std::string s;
    for (const auto& f : reader.fields())
        if (f.required)
            s += (s.empty() ? "" : ",") + f.name;
    return s;
}

ParadoxTableBuilder orders(std::uint8_t version) {
    ParadoxTableBuilder b(version);
    b.field("Id", '+')
        .field("Customer", 'I')
        .field("Status", 'A', 10)
        .field("Paid", 'L')
        .field("Notes", 'M', 10)
        .field("Total", '$');
    b.row({px::longInt(1), px::longInt(9), px::alpha("open")});
    return b;
}

TEST(ParadoxValidity, RequiredColumnsWithoutDefaultsAreRequired) {
    for (std::uint8_t version : {3, 4, 9, 11, 12}) {
        SCOPED_TRACE(static_cast<int>(version));
        auto b = orders(version);
        b.check("Customer", true)
            .check("Status", true, px::alpha("new"))  // a default cancels "required"
            .check("Paid", false, px::logical(false)) // a default alone changes nothing
            .check("Notes", true)                     // blobs can be required too
            .check("Id", true);                       // never for an autoincrement
        EXPECT_EQ(requiredColumns(*fixtures::openParadox(b.build())), "Customer,Notes");
    }
}

TEST(ParadoxValidity, NoValidityFileMeansNothingIsRequired) {
    auto b = orders(12);
    EXPECT_EQ(requiredColumns(*fixtures::openParadox(b.build())), "");
}

TEST(ParadoxValidity, AStaleUnknownOrDamagedFileIsIgnoredAndTheTableStillOpens) {
    struct Case {
        const char* what;
        void (*damage)(std::string& val);
    };
    const Case cases[] = {
        {"saved for an older state of the table", [](std::string& v) { v[0] ^= 0x01; }},
        {"unknown layout byte", [](std::string& v) { v[1] = 0x05; }},
        {"empty", [](std::string& v) { v.clear(); }},
        {"cut in the header", [](std::string& v) { v.resize(0x20); }},
        {"cut in a check record", [](std::string& v) { v.resize(0x40); }},
        {"more check records than the file holds", [](std::string& v) { v[2] = 100; }},
        {"footer offset past the end",
         [](std::string& v) { fixtures::pokeU32(v, 0x09, 0xFFFFFF00); }},
        {"footer field count forged",
         [](std::string& v) { fixtures::pokeU16(v, v[0x09] & 0xFF, 0xFFFF); }},
        {"check for a field that does not exist", [](std::string& v) { v[0x35] = 40; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto b = orders(11);
        b.check("Customer", true).check("Total", true);
        auto files = b.build();
        c.damage(files.at("VAL"));
        const auto reader = fixtures::openParadox(files);
        EXPECT_EQ(requiredColumns(*reader), "");
        EXPECT_TRUE(reader->rules().references.empty());
        ASSERT_EQ(reader->rules().notDecoded.size(), 1u); // said, never lost silently
        EXPECT_EQ(fixtures::countRows(*reader), 1u);
    }
}

// A damaged referential-integrity section or an unreadable value costs only itself.
TEST(ParadoxValidity, DamageInOnePartKeepsTheOtherChecks) {
    constexpr std::size_t kRule = 0x35 + 0x1C + 2; // after the one check record and the count
    struct Case {
        const char* what;
        void (*damage)(std::string& val);
        std::size_t references;
    };
    const Case cases[] = {
        {"intact", [](std::string&) {}, 1},
        {"rule count past the section", [](std::string& v) { fixtures::pokeU16(v, kRule - 2, 9); },
         0},
        {"no key fields", [](std::string& v) { fixtures::pokeU16(v, kRule + 0x19E, 0); }, 0},
        {"key fields beyond the slots",
         [](std::string& v) { fixtures::pokeU16(v, kRule + 0x19E, 17); }, 0},
        {"a field the table lacks", [](std::string& v) { fixtures::pokeU16(v, kRule + 0x1A0, 99); },
         0},
        {"section past the footer", [](std::string& v) { fixtures::pokeU32(v, 0x0D, 0xFFFF); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto b = orders(11);
        b.check("Customer", true).reference({"R", {"Customer"}, "CUST.DB", {1}, true});
        auto files = b.build();
        c.damage(files.at("VAL"));
        const auto reader = fixtures::openParadox(files);
        const bool sectionLost = std::string(c.what) == "section past the footer";
        EXPECT_EQ(requiredColumns(*reader), sectionLost ? "" : "Customer");
        EXPECT_EQ(reader->rules().references.size(), c.references);
        EXPECT_EQ(reader->rules().notDecoded.size(), c.references == 1 ? 0u : 1u);
    }

    // A time outside the day is no value: that minimum is left out and said so.
    auto b = orders(11);
    b.field("Opens", 'T').check("Opens", {true, px::raw("\xFF\xFF\xFF\xFF"), {}, {}, {}, {}, 0});
    const auto reader = fixtures::openParadox(b.build());
    const FieldRules& opens = reader->rules().fields.at(6);
    EXPECT_TRUE(opens.required);
    EXPECT_FALSE(opens.minimum);
    EXPECT_EQ(reader->rules().notDecoded,
              std::vector<std::string>{"The minimum of field \"Opens\" cannot be read."});
}

TEST(ParadoxValidity, ChecksFollowTheirFieldAfterTheTableGainedAField) {
    // The footer of 4.x+ files lists the fields as they were when the checks were saved; a
    // field inserted since then shifts positions, but the name and type still lead to it.
    ParadoxTableBuilder before(11);
    before.field("Customer", 'I').field("Status", 'A', 10).field("Total", '$');
    before.check("Total", true);
    ParadoxTableBuilder after(11);
    after.field("Region", 'S').field("Customer", 'I').field("Status", 'A', 10).field("Total", '$');
    auto files = after.build();
    files.files["VAL"] = before.build().at("VAL");
    EXPECT_EQ(requiredColumns(*fixtures::openParadox(files)), "Total");

    // The same footer entry with another type matches no column.
    std::string& val = files.at("VAL");
    const std::size_t footer = static_cast<unsigned char>(val[0x09]);
    val[footer + 6 + 2 * 3 + 2 * 2] = 0x06; // Total listed as a number field
    EXPECT_EQ(requiredColumns(*fixtures::openParadox(files)), "");
}

} // namespace
} // namespace vorendal
