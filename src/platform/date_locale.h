#pragma once
// The date and time formats and names of the user's locale, as pictures in the form that
// template fields use (d, M, y, g for dates; h, H, m, s, t for times; text in single
// quotes), and names in Shift_JIS.

#include <array>
#include <string>

namespace morvaline {

struct DateLocale {
    std::string shortDate;                               // the short date picture
    std::string longDate;                                // the long date picture
    std::string time;                                    // the time picture of the user
    std::string defaultTime;                             // the locale's own time picture
    std::array<std::string, 7> dayNames, shortDayNames;  // Sunday first
    std::array<std::string, 12> monthNames, shortMonthNames;
    std::string am, pm;
    std::string era;
};

// The locale of the system (LC_ALL, LC_TIME, LANG).
DateLocale systemDateLocale();

}  // namespace morvaline
