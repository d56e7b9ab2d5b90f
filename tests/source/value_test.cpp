#include "source/engine/value.h"

#include <gtest/gtest.h>

namespace vorendal::engine {
namespace {

TEST(DayNumbers, CountFromTheFirstOfJanuaryOfYearOne) {
    struct Case {
        int y, m, d;
        std::int32_t day;
    };
    const Case cases[] = {
        {1, 1, 1, 1},           {1, 1, 2, 2},           {1, 12, 31, 365},
        {1899, 12, 30, 693594}, {1899, 12, 31, 693595}, {1900, 3, 1, 693655},
        {2000, 2, 29, 730179},  {2004, 12, 25, 731940}, {9999, 12, 31, 3652059},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dayNumberFromCivil(c.y, c.m, c.d), c.day) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        civilFromDayNumber(c.day, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(DayNumbers, IsoTextOfDatesAndTimes) {
    EXPECT_EQ(isoDateText(dayNumberFromCivil(2004, 12, 25)), "2004-12-25");
    EXPECT_EQ(isoDateText(1), "0001-01-01");
    EXPECT_EQ(isoDateText(0), "0000-12-31");
    EXPECT_EQ(isoDateText(dayNumberFromCivil(-1, 12, 31)), "-0001-12-31");
    EXPECT_EQ(isoTimeText(((14 * 60 + 5) * 60 + 9) * 1000 + 7, true), "14:05:09.007");
    EXPECT_EQ(isoTimeText(0, false), "00:00:00");
}

TEST(DayNumbers, RoundTripEveryDayOfFourCenturies) {
    const std::int32_t start = dayNumberFromCivil(1800, 1, 1);
    for (std::int32_t n = start; n < start + 146097; ++n) {
        int y = 0, m = 0, d = 0;
        civilFromDayNumber(n, y, m, d);
        ASSERT_EQ(dayNumberFromCivil(y, m, d), n);
    }
}

} // namespace
} // namespace vorendal::engine
