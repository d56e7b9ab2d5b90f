// Regional settings read from fixed locales and from Qt date and time formats, checked through
// the texts the data export writes with them.

#include "app/locale/localesettings.h"

#include <string>

#include <QLocale>
#include <QString>

#include <gtest/gtest.h>

#include "scripts/valueformat.h"

namespace vorendal {
namespace {

constexpr double kChristmas2004 = 38346;                          // Saturday, 25 December 2004
constexpr double kAfternoon = (14 * 3600 + 5 * 60 + 9) / 86400.0; // 14:05:09

std::string dateText(const RegionalSettings& settings) {
    std::string out;
    appendShortDate(out, kChristmas2004, settings);
    return out;
}

std::string timeText(const RegionalSettings& settings) {
    std::string out;
    appendLongTime(out, kChristmas2004 + kAfternoon, settings);
    return out;
}

TEST(LocaleSettingsTest, FixedLocales) {
    const struct {
        const char* locale;
        const char* decimal;
        const char* pattern;
        const char* dateSeparator;
        const char* date;
        const char* time;
    } cases[] = {
        {"pt_BR", ",", "dd/mm/yyyy", "/", "25/12/2004", "14:05:09"},
        {"en_US", ".", "m/d/yy", "/", "12/25/04", "2:05:09 PM"},
        {"C", ".", "m/d/yy", "/", "12/25/04", "2:05:09 pm"}, // no settings: the defaults
        {"de_DE", ",", "dd/mm/yy", ".", "25.12.04", "14:05:09"},
    };
    for (const auto& c : cases) {
        const RegionalSettings s = regionalSettingsFromLocale(QLocale(QString::fromUtf8(c.locale)));
        EXPECT_EQ(s.decimalSeparator, c.decimal) << c.locale;
        EXPECT_EQ(s.shortDatePattern, c.pattern) << c.locale;
        EXPECT_EQ(s.dateSeparator, c.dateSeparator) << c.locale;
        EXPECT_EQ(dateText(s), c.date) << c.locale;
        EXPECT_EQ(timeText(s), c.time) << c.locale;
    }
    std::string midnight;
    appendLongTime(midnight, 0, regionalSettingsFromLocale(QLocale(QStringLiteral("pt_BR"))));
    EXPECT_EQ(midnight, "00:00:00");
}

TEST(LocaleSettingsTest, NamesAreWindows1252AndStartOnSunday) {
    RegionalSettings s = regionalSettingsFromLocale(QLocale(QStringLiteral("pt_BR")));
    EXPECT_EQ(s.longDayNames[0], "domingo");
    EXPECT_EQ(s.longDayNames[6], "s\xE1"
                                 "bado");
    EXPECT_EQ(s.longMonthNames[2], "mar\xE7o");
    s.shortDatePattern = "dddd, d mmmm";
    EXPECT_EQ(dateText(s), "s\xE1"
                           "bado, 25 dezembro");
}

TEST(LocaleSettingsTest, DateFormats) {
    const struct {
        const char16_t* qtFormat;
        const char* pattern;
        const char* separator;
        const char* date;
    } cases[] = {
        {u"yyyy. MM. dd.", "yyyy/ mm/ dd.", ".", "2004. 12. 25."},
        {u"d\u200F/M\u200F/yyyy", "d/m/yyyy", "/", "25/12/2004"}, // direction marks dropped
        {u"dd 'de' MMMM", "dd \"d\"e mmmm", "/", "25 de December"},
        {u"d/M/yyyy 'Dy' ''", "d/m/yyyy \"D\"\"y\" \"'\"", "/", "25/12/2004 Dy '"},
        {u"yyyyMMdd", "yyyymmdd", "/", "20041225"},
        {u"d.MM.yy '\u0433'.", "d/mm/yy ?.", ".", "25.12.04 ?."},
    };
    for (const auto& c : cases) {
        RegionalSettings s;
        applyQtDateFormat(s, QString::fromUtf16(c.qtFormat));
        EXPECT_EQ(s.shortDatePattern, c.pattern);
        EXPECT_EQ(s.dateSeparator, c.separator) << c.pattern;
        EXPECT_EQ(dateText(s), c.date) << c.pattern;
    }
}

TEST(LocaleSettingsTest, TimeFormats) {
    const struct {
        const char16_t* qtFormat;
        const char* time;
    } cases[] = {
        {u"HH:mm:ss t", "14:05:09"},
        {u"h:mm:ss AP t", "2:05:09 PM"},
        {u"hh:mm:ss ap", "02:05:09 pm"},
        {u"t HH:mm:ss", "14:05:09"},
        {u"H.mm.ss", "14.05.09"},
        {u"AP h\uC2DC m\uBD84 s\uCD08 t", "PM 2:05:09"}, // separator 1252 cannot write
        {u"'h' h:mm:ss a", "2:05:09 pm"},
    };
    for (const auto& c : cases) {
        RegionalSettings s;
        applyQtTimeFormat(s, QString::fromUtf16(c.qtFormat), QStringLiteral("AM"),
                          QStringLiteral("Pm"));
        EXPECT_EQ(timeText(s), c.time);
    }
}

} // namespace
} // namespace vorendal
