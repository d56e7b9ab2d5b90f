#pragma once

#include <array>
#include <string>

namespace vorendal {

// The user's regional settings that the data export formats values with. All texts are
// Windows-1252. The defaults are those used when a setting cannot be read.
struct RegionalSettings {
    std::string decimalSeparator = ".";
    std::string dateSeparator = "/";
    // Short date pattern, letters case-insensitive: d dd ddd dddd, m mm mmm mmmm, yy yyyy;
    // "/" stands for dateSeparator; text between quotes (" or ') is copied without them.
    std::string shortDatePattern = "m/d/yy";
    std::string timeSeparator = ":";
    bool hourLeadingZero = false;
    bool twentyFourHour = false;
    bool markerBeforeTime = false; // 12-hour clock: the day-half marker before the time
    std::string amText = "am";
    std::string pmText = "pm";
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    // Sunday first.
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
};

} // namespace vorendal
