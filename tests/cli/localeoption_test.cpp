// --locale NAME: the named locale's settings, the user's own without it, and a clear usage error
// for a name Qt does not know.

#include "cli/localeoption.h"

#include <string>

#include <QLocale>

#include <gtest/gtest.h>

#include "app/locale/localesettings.h"

namespace vorendal::cli {
namespace {

Options withLocale(const char* name) {
    Options options;
    options.locale = name;
    return options;
}

TEST(LocaleOptionTest, NamedLocales) {
    const struct {
        const char* name;
        const char* decimal;
        const char* pattern;
    } cases[] = {
        {"pt_BR", ",", "dd/mm/yyyy"},
        {"pt-BR", ",", "dd/mm/yyyy"},
        {"de_DE.UTF-8", ",", "dd/mm/yy"},
        {"en_US", ".", "m/d/yy"},
        {"C", ".", "m/d/yy"},
        {"POSIX", ".", "m/d/yy"},
        {"C.UTF-8", ".", "m/d/yy"},
    };
    for (const auto& c : cases) {
        const RegionalSettings s = regionalSettingsFor(withLocale(c.name));
        EXPECT_EQ(s.decimalSeparator, c.decimal) << c.name;
        EXPECT_EQ(s.shortDatePattern, c.pattern) << c.name;
    }
}

TEST(LocaleOptionTest, UserLocaleWithoutTheOption) {
    const RegionalSettings expected = regionalSettingsFromLocale(QLocale::system());
    const RegionalSettings s = regionalSettingsFor(Options{});
    EXPECT_EQ(s.shortDatePattern, expected.shortDatePattern);
    EXPECT_EQ(s.decimalSeparator, expected.decimalSeparator);
}

TEST(LocaleOptionTest, UnknownNamesAreUsageErrors) {
    for (const char* name : {"klingon", "xx_BR", "pt_XX", ""}) {
        try {
            regionalSettingsFor(withLocale(name));
            ADD_FAILURE() << name;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + name + "\""),
                      std::string::npos)
                << e.what();
        }
    }
}

} // namespace
} // namespace vorendal::cli
