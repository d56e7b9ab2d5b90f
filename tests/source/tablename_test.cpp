#include "source/tablename.h"

#include <gtest/gtest.h>

namespace vorendal {
namespace {

TEST(TableName, TakesTheUpperCasedBaseNameBetweenLastSeparatorAndLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"/dados/Clientes.db", "CLIENTES"},
        {"/Clientes.db", "CLIENTES"},
        {"/dados/cli.2004.db", "CLI.2004"},
        {"/dados/clientes.DbF", "CLIENTES"},
        // the path's bytes: UTF-8 becomes 1252, anything else '?'
        {"/dados/A\xC3\xA7\xC3\xA3o.db", "A\xC7\xC3O"},
        {"/dados/A\xE7\xE3o.db", "A??O"},            // not UTF-8
        {"/cyr/\xD1\x82\xD0\xB0\xD0\xB1.db", "???"}, // letters 1252 lacks
        {"/d/\xE2\x82\xAC\xC5\xA1.dbf", "\x80\x8A"}, // euro sign, s caron
        {"/dados/semponto", ""},                     // no dot
        {"/da.dos/semponto", ""},                    // the last dot lies in a folder name
        {"/dados/.db", ""},                          // name begins with the dot
        {"produtos.db", "PRODUTOS"},                 // no separator: from the first character
        {"a.b.c", "A.B"},
        {"", ""},
        {"/", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(tableNameFromPath(path), name) << path;
}

} // namespace
} // namespace vorendal
