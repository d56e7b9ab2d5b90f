#include "source/ttable.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "tests/fixtures/faketable.h"

namespace vorendal {
namespace {

using engine::Value;
using fixtures::FakeTable;

Value text(const std::string& s) {
    return fixtures::textValue(s);
}
Value integer(std::int64_t i) {
    return fixtures::integerValue(i);
}
Value number(double d) {
    return fixtures::floatValue(d);
}
Value null() {
    return fixtures::nullValue();
}

// A table component whose "files" are the fake tables of a map, counted as they are opened.
class TTableTest : public ::testing::Test {
protected:
    fixtures::FakeFiles fake;
    std::map<std::string, FakeTable>& files = fake.tables;
    const int& opens = fake.opens;
    TTable table{"Table1", fake.factory()};

    std::string errorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Exception& e) {
            return e.message();
        }
        return "(no error)";
    }
};

TEST_F(TTableTest, OwnErrorsCarryTheComponentName) {
    EXPECT_EQ(errorOf([&] { table.Open(); }), "Table1: Missing TableName property");
    EXPECT_EQ(errorOf([&] { table.IndexDefs().Update(); }), "Table1: Missing TableName property");
    EXPECT_FALSE(table.Active());

    files["/a.db"] = {{{"A", ftInteger, 0, false}}, {}, {}};
    table.setTableName("/a.db");
    table.Open();
    table.setTableName("/a.db"); // the same text: nothing happens
    EXPECT_EQ(errorOf([&] { table.setTableName("/b.db"); }),
              "Table1: Cannot perform this operation on an open dataset");
    EXPECT_EQ(table.TableName(), "/a.db");
    table.Close();
    table.Close(); // closing twice is harmless
    table.setTableName("/b.db");
    EXPECT_EQ(table.TableName(), "/b.db");
}

TEST_F(TTableTest, AFailedOpeningLeavesTheTableClosed) {
    table.setTableName("/missing.db");
    EXPECT_EQ(errorOf([&] { table.Open(); }), "Table file does not exist.\nFile: /missing.db");
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.FieldCount(), 0);
}

TEST_F(TTableTest, DuplicateNamesGetANumber) {
    files["/d.db"] = {{{"Nome", ftString, 10, false},
                       {"NOME", ftString, 10, false},
                       {"Nome_1", ftString, 10, false},
                       {"nome", ftInteger, 0, false}},
                      {},
                      {}};
    table.setTableName("/d.db");
    table.Open();
    std::vector<std::string> names;
    for (int i = 0; i < table.FieldDefs().Count(); ++i)
        names.push_back(table.FieldDefs()[i].Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Nome", "NOME_1", "Nome_1_1", "nome_2"}));
    EXPECT_EQ(table.Fields(1).FieldName(), "NOME_1");
}

// Thousands of columns of one name (a forged header): each gets the first free number, found in
// linear time.
TEST_F(TTableTest, ThousandsOfDuplicateNamesAreNumberedInOrder) {
    FakeTable& many = files["/many.db"];
    for (int i = 0; i < 6000; ++i)
        many.fields.push_back({i % 2 ? "a" : "A", ftString, 1, false});
    table.setTableName("/many.db");
    table.Open();
    ASSERT_EQ(table.FieldDefs().Count(), 6000);
    EXPECT_EQ(table.FieldDefs()[0].Name, "A");
    for (int i = 1; i < 6000; ++i)
        ASSERT_EQ(table.FieldDefs()[i].Name, (i % 2 ? "a_" : "A_") + std::to_string(i));
}

// Firebird takes no empty name: when asked, a field without one is called FIELD_<n> before
// duplicates are numbered, and an index key follows it; otherwise the name stays as read.
TEST_F(TTableTest, FieldsWithoutANameGetAMadeUpOneWhenAsked) {
    struct Case {
        std::vector<std::string> names;
        bool on;
        std::string defs;   // the definitions' names, joined by "|"
        std::string key;    // the index key
        std::string madeUp; // field numbers and names made up
    };
    const Case cases[] = {
        {{"", "B"}, false, "|B", ";B", ""},
        {{"", "B"}, true, "FIELD_1|B", "FIELD_1;B", "1 FIELD_1"},
        {{"A", "  ", ""}, true, "A|FIELD_2|FIELD_3", "A;FIELD_2", "2 FIELD_2,3 FIELD_3"},
        {{"field_2", ""}, true, "field_2|FIELD_2_1", "field_2;FIELD_2_1", "2 FIELD_2_1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defs);
        FakeTable& t = files["/n" + c.defs + ".db"];
        for (const auto& name : c.names)
            t.fields.push_back({name, ftInteger, 0, false});
        t.indexes.push_back({c.names[0] + ";" + c.names[1], {ixPrimary}});
        t.indexes.push_back({c.names[0], {ixPrimary}}); // a key of one field without a name
        table.setNameUnnamedFields(c.on);
        table.setTableName("/n" + c.defs + ".db");
        table.IndexDefs().Update();
        std::string defs;
        for (int i = 0; i < table.FieldDefs().Count(); ++i)
            defs += (i > 0 ? "|" : "") + table.FieldDefs()[i].Name;
        EXPECT_EQ(defs, c.defs);
        EXPECT_EQ(table.IndexDefs()[0].Fields, c.key);
        EXPECT_EQ(table.IndexDefs()[1].Fields, c.key.substr(0, c.key.find(';')));
        std::string madeUp;
        for (const auto& made : table.madeUpNames())
            madeUp += (madeUp.empty() ? "" : ",") + std::to_string(made.fieldNo) + " " + made.name;
        EXPECT_EQ(madeUp, c.madeUp);
    }
}

TEST_F(TTableTest, TypesWithoutAValueGetADefinitionButNoField) {
    files["/u.db"] = {{{"A", ftInteger, 0, false},
                       {"X", ftUnknown, 0, false},
                       {"B", ftString, 5, true},
                       {"O", ftADT, 3, false},
                       {"C", ftAutoInc, 0, true}},
                      {},
                      {{integer(1), null(), text("b"), null(), integer(7)}}};
    table.setTableName("/u.db");
    table.Open();
    EXPECT_EQ(table.FieldDefs().Count(), 5);
    ASSERT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.Fields(1).FieldName(), "B");
    EXPECT_EQ(table.Fields(1).AsString(), "b");
    EXPECT_EQ(table.Fields(2).AsInteger(), 7);
    EXPECT_TRUE(table.FieldDefs()[2].Required);
    EXPECT_FALSE(table.FieldDefs()[4].Required); // an autoincrement field is never required
}

TEST_F(TTableTest, IndexDefinitionsAreReadAgainAfterAPathChangeOrAnOpening) {
    files["/k.db"] = {{{"ID", ftInteger, 0, false}}, {{"ID", {ixPrimary, ixUnique}}}, {}};
    table.setTableName("/k.db");
    table.IndexDefs().Update(); // works while closed, and reads the fields too
    EXPECT_EQ(opens, 1);
    ASSERT_EQ(table.IndexDefs().Count(), 1);
    EXPECT_EQ(table.IndexDefs()[0].Fields, "ID");
    EXPECT_EQ(table.FieldDefs().Count(), 1);
    table.IndexDefs().Update(); // not stale: nothing read
    EXPECT_EQ(opens, 1);

    table.Open();
    table.Close();
    files["/k.db"].indexes.push_back({"", {ixExpression}}); // the file changed meanwhile
    table.IndexDefs().Update();
    EXPECT_EQ(opens, 3);
    ASSERT_EQ(table.IndexDefs().Count(), 2);
    EXPECT_TRUE(table.IndexDefs()[1].Options.contains(ixExpression));
}

TEST_F(TTableTest, CursorVisitsEveryRecordThenReportsTheEnd) {
    files["/r.db"] = {{{"N", ftInteger, 0, false}}, {}, {{integer(1)}, {integer(2)}, {integer(3)}}};
    files["/empty.db"] = {{{"N", ftInteger, 0, false}}, {}, {}};
    table.setTableName("/r.db");
    table.Open();
    std::vector<std::int64_t> seen;
    for (table.First(); !table.Eof(); table.Next())
        seen.push_back(table.Fields(0).AsInteger());
    EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 2, 3}));
    table.Next(); // past the end stays at the end
    EXPECT_TRUE(table.Eof());
    table.Close();

    table.setTableName("/empty.db");
    table.Open();
    table.First();
    EXPECT_TRUE(table.Eof());
}

TEST_F(TTableTest, NullValuesReadAsTheNeutralValueOfEachGetter) {
    files["/n.db"] = {{{"V", ftString, 5, false}}, {}, {{null()}}};
    table.setTableName("/n.db");
    table.Open();
    const TField& f = table.Fields(0);
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(f.AsString(), "");
    EXPECT_EQ(f.AsInteger(), 0);
    EXPECT_FALSE(f.AsBoolean());
    EXPECT_EQ(f.AsFloat(), 0.0);
    EXPECT_EQ(f.AsCurrency(), 0);
    EXPECT_EQ(f.AsDateTime(), 0.0);
}

TEST_F(TTableTest, GettersConvertBetweenKinds) {
    Value date;
    date.setDate(engine::dayNumberFromCivil(2004, 12, 25));
    Value time;
    time.setTime((14 * 3600 + 5 * 60 + 9) * 1000);
    Value stamp;
    stamp.setDateTime(engine::dayNumberFromCivil(1899, 12, 31), 6 * 3600 * 1000);
    files["/g.db"] = {
        {{"S", ftString, 10, false},
         {"F", ftFloat, 0, false},
         {"D", ftDate, 0, false},
         {"T", ftTime, 0, false},
         {"TS", ftDateTime, 0, false},
         {"M", ftCurrency, 0, false}},
        {},
        {{text(std::string("ab\0cd", 5)), number(-2.5), date, time, stamp, number(0.03125)}}};
    table.setTableName("/g.db");
    table.Open();
    EXPECT_EQ(table.Fields(0).AsString(), "ab"); // up to the first zero byte
    EXPECT_EQ(table.Fields(1).AsFloat(), -2.5);
    EXPECT_EQ(table.Fields(1).AsCurrency(), -25000);
    EXPECT_EQ(table.Fields(2).AsDateTime(), 38346.0);
    EXPECT_NEAR(table.Fields(3).AsDateTime(), (14 * 3600 + 5 * 60 + 9) / 86400.0, 1e-12);
    EXPECT_EQ(table.Fields(4).AsDateTime(), 1.25);
    EXPECT_EQ(table.Fields(5).AsCurrency(), 312); // 312.5 rounds to the even neighbour
    EXPECT_EQ(table.Fields(2).AsString(), "2004-12-25");
}

} // namespace
} // namespace vorendal
