// Memo, binary, formatted-memo, graphic and OLE values: in the record, in shared and single
// blocks of the .MB, and what happens when the .MB is missing or a pointer is damaged.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"

namespace vorendal {
namespace {

using engine::Value;
using fixtures::ParadoxTableBuilder;
using fixtures::PxBlobPlace;
using fixtures::readAllRows;
namespace px = fixtures::px;

std::string pattern(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + seed) % 251); // zero bytes included
    return s;
}

std::string letters(std::size_t n) {
    std::string s(n, ' ');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + i % 26);
    return s;
}

TEST(ParadoxBlobs, MemosAreReadFromTheRecordAndFromEveryKindOfBlock) {
    struct Case {
        const char* what;
        std::string value;
        PxBlobPlace place;
    };
    const Case cases[] = {
        {"inside the record", "short memo", PxBlobPlace::Auto},
        {"fills the leader", letters(20), PxBlobPlace::Auto},
        {"shared block", letters(21), PxBlobPlace::Auto},
        {"shared, 16-byte multiple", letters(64), PxBlobPlace::Shared},
        {"shared, largest", letters(3760), PxBlobPlace::Shared},
        {"single block", letters(5000), PxBlobPlace::Auto},
        {"single block, small", letters(30), PxBlobPlace::Single},
        {"single block, 4 KiB units exactly", letters(4096 - 9), PxBlobPlace::Single},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParadoxTableBuilder b(12);
        b.field("Id", 'S')
            .field("Notes", 'M', 20)
            .row({px::shortInt(1), px::blob(c.value, c.place)});
        const auto rows = readAllRows(*fixtures::openParadox(b.build()));
        ASSERT_EQ(rows.size(), 1u);
        ASSERT_EQ(rows[0][1].kind, Value::Kind::Text);
        EXPECT_EQ(rows[0][1].text, c.value);
    }
}

TEST(ParadoxBlobs, MemoTextIsConvertedButBinaryKindsAreNot) {
    const std::string dos = "Ol\x82 \x87" + letters(40); // 850: é ç
    ParadoxTableBuilder b(11);
    b.codePage(850).field("Memo", 'M', 1).field("Fmt", 'F').field("Bin", 'B', 4);
    b.row({px::blob(dos), px::blob(dos), px::blob(dos)});
    const auto rows = readAllRows(*fixtures::openParadox(b.build()));
    EXPECT_EQ(rows[0][0].kind, Value::Kind::Text);
    EXPECT_EQ(rows[0][0].text, "Ol\xE9 \xE7" + letters(40));
    EXPECT_EQ(rows[0][1].kind, Value::Kind::Bytes); // formatted memo: a private binary stream
    EXPECT_EQ(rows[0][1].text, dos);
    EXPECT_EQ(rows[0][2].kind, Value::Kind::Bytes);
    EXPECT_EQ(rows[0][2].text, dos);
}

TEST(ParadoxBlobs, BinaryGraphicAndOleValuesComeBackByteForByte) {
    for (char type : {'B', 'G', 'O'}) {
        for (PxBlobPlace place : {PxBlobPlace::Auto, PxBlobPlace::Shared, PxBlobPlace::Single}) {
            SCOPED_TRACE(std::string(1, type) + " place " +
                         std::to_string(static_cast<int>(place)));
            const std::string small = pattern(8, 3);
            const std::string large = pattern(9000, 7);
            const std::string medium = pattern(1000, 5);
            ParadoxTableBuilder b(11);
            b.field("Pic", type, 10);
            b.row({px::blob(small, place == PxBlobPlace::Auto ? place : PxBlobPlace::Single)});
            b.row({px::blob(medium, place)});
            if (place != PxBlobPlace::Shared)
                b.row({px::blob(large, place)});
            b.row({px::blank()});
            const auto rows = readAllRows(*fixtures::openParadox(b.build()));
            ASSERT_EQ(rows.size(), place != PxBlobPlace::Shared ? 4u : 3u);
            EXPECT_EQ(rows[0][0].kind, Value::Kind::Bytes);
            EXPECT_EQ(rows[0][0].text, small);
            EXPECT_EQ(rows[1][0].text, medium);
            if (place != PxBlobPlace::Shared) {
                EXPECT_EQ(rows[2][0].text, large);
            }
            EXPECT_TRUE(rows.back()[0].isNull());
        }
    }
}

TEST(ParadoxBlobs, ManySmallValuesFillSeveralSharedBlocks) {
    ParadoxTableBuilder b(12);
    b.field("Id", 'I').field("Memo", 'M', 1);
    for (int i = 0; i < 150; ++i)
        b.row({px::longInt(i), px::blob("memo number " + std::to_string(i) +
                                        letters(static_cast<std::size_t>(i)))});
    const auto rows = readAllRows(*fixtures::openParadox(b.build()));
    ASSERT_EQ(rows.size(), 150u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][1].text, "memo number " + std::to_string(i) + letters(i));
}

TEST(ParadoxBlobs, AMissingBlobFileFailsOnlyTheValuesThatNeedIt) {
    ParadoxTableBuilder b(12);
    b.field("Id", 'S').field("Memo", 'M', 10);
    b.row({px::shortInt(1), px::blob("in record")});
    b.row({px::shortInt(2), px::blob(letters(200))});
    auto files = b.build();
    files.files.erase("MB");
    const auto reader = fixtures::openParadox(files);
    ASSERT_TRUE(reader->first());
    Value v;
    reader->value(1, v);
    EXPECT_EQ(v.text, "in record");
    ASSERT_TRUE(reader->next());
    reader->value(0, v);
    EXPECT_EQ(v.integer, 2);
    try {
        reader->value(1, v);
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errMemo);
        EXPECT_NE(std::string(e.what()).find(".MB"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(reader->next());
}

// Damage to a blob pointer or to the .MB (a file cut short among it) makes that one value null
// and flagged, as a damaged dBASE memo is; it is never read past or guessed at, and the other
// record still reads.
TEST(ParadoxBlobs, DamagedPointersAndBlocksReadAsNullAndAreFlagged) {
    ParadoxTableBuilder b(12);
    b.field("Memo", 'M', 10);
    b.row({px::blob(letters(100), PxBlobPlace::Shared)});
    b.row({px::blob(letters(5000), PxBlobPlace::Single)});
    const auto pristine = b.build();
    const std::size_t shared = b.blockOffset(1) + 6 + 10; // trailer of record 1
    const std::size_t single = shared + 20;               // trailer of record 2
    struct Case {
        const char* what;
        std::size_t record;
        void (*damage)(std::string& db, std::string& mb, std::size_t trailer);
    };
    const Case cases[] = {
        {"pointer past the end", 0,
         [](std::string& db, std::string&, std::size_t t) {
             fixtures::pokeU32(db, t, 0x7FFFFF3F);
         }},
        {"pointer not on a block boundary", 0,
         [](std::string& db, std::string&, std::size_t t) {
             fixtures::pokeU32(db, t, 0x1100 | 0x3F);
         }},
        {"pointer to the header block", 1,
         [](std::string& db, std::string&, std::size_t t) { fixtures::pokeU32(db, t, 0xFF); }},
        {"length beyond the block", 1,
         [](std::string& db, std::string&, std::size_t t) { fixtures::pokeU32(db, t + 4, 9000); }},
        {"length differs from the block's", 1,
         [](std::string& db, std::string&, std::size_t t) { fixtures::pokeU32(db, t + 4, 4999); }},
        {"shared length differs from the slot's", 0,
         [](std::string& db, std::string&, std::size_t t) { fixtures::pokeU32(db, t + 4, 120); }},
        {"unused slot", 0,
         [](std::string& db, std::string&, std::size_t t) {
             fixtures::pokeU32(db, t, 0x1000 | 0x05);
         }},
        {"slot index beyond 63", 0,
         [](std::string& db, std::string&, std::size_t t) {
             fixtures::pokeU32(db, t, 0x1000 | 0x40);
         }},
        {"single pointer into a shared block", 0,
         [](std::string& db, std::string&, std::size_t t) { fixtures::pokeU32(db, t, 0x10FF); }},
        {"free block", 1, [](std::string&, std::string& mb, std::size_t) { mb[0x2000] = 4; }},
        {"block of size 0", 1,
         [](std::string&, std::string& mb, std::size_t) { fixtures::pokeU16(mb, 0x2001, 0); }},
        {"slot data outside its block", 0,
         [](std::string&, std::string& mb, std::size_t) { mb[0x1000 + 12 + 5 * 0x3F] = '\xFF'; }},
        {"blob file cut short", 1,
         [](std::string&, std::string& mb, std::size_t) { mb.resize(0x2800); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto files = pristine;
        c.damage(files.table(), files.at("MB"), c.record == 0 ? shared : single);
        const auto reader = fixtures::openParadox(files);
        ASSERT_TRUE(reader->first());
        if (c.record == 1) {
            ASSERT_TRUE(reader->next());
        }
        Value v;
        reader->value(0, v);
        EXPECT_TRUE(v.isNull()) << v.text.size() << " bytes";
        EXPECT_TRUE(reader->valueDamaged());
        ASSERT_TRUE(c.record == 1 || reader->next());
        if (c.record == 0) {
            reader->value(0, v);
            EXPECT_EQ(v.text, letters(5000));
            EXPECT_FALSE(reader->valueDamaged());
        }
    }
}

TEST(ParadoxBlobs, TheOtherRecordStaysReadableAfterADamagedValue) {
    ParadoxTableBuilder b(12);
    b.field("Memo", 'M', 10);
    b.row({px::blob(letters(100))});
    b.row({px::blob(letters(200))});
    auto files = b.build();
    fixtures::pokeU32(files.table(), b.blockOffset(1) + 6 + 10 + 4, 5); // length 5 < 100
    const auto rows = readAllRows(*fixtures::openParadox(files));
    // a length that fits the leader reads the leader: the record says so
    EXPECT_EQ(rows[0][0].text, letters(5));
    EXPECT_EQ(rows[1][0].text, letters(200));
}

} // namespace
} // namespace vorendal
