#include "store/host_date.h"

#include <gtest/gtest.h>

namespace morvaline {
namespace {

LocalTimeFields at(int year, int month) {
    LocalTimeFields now;
    now.year = year;
    now.month = month;
    now.day = 15;
    return now;
}

FileTime date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *fileTimeFromFields({y, mo, d, h, mi, s, 0});
}

TEST(HostDate, ReadsTheHostsForms) {
    struct Case {
        const char* text;
        int options;
        FileTime expected;
    } cases[] = {
        {"99/12/31 23:59", 0, date(1999, 12, 31, 23, 59)},
        {"03/01/02", 0, date(2003, 1, 2)},
        {"04/01/02", 0, date(1904, 1, 2)},           // beyond the pivot of 2004
        {"1999/12/31 23:59:30", 0, date(1999, 12, 31, 23, 59, 30)},
        {"99/ 1/ 5  9:05", 0, date(1999, 1, 5, 9, 5)},
        {"  9/1/05", 0, date(1909, 1, 5)},           // a one-digit year and month
        {"99/12/31(金)", 0, 0},
        {"99/12/31(金)", hostdate::kDateOnly, date(1999, 12, 31)},
        {"99/12/31 23", 0, 0},                       // an hour without minutes
        {"99/12/31 23:59 tail", 0, date(1999, 12, 31, 23, 59)},
        {"99/13/01", 0, 0},
        {"99/02/30", 0, 0},
        {"199/12/31", 0, 0},                         // three digits need a fourth
        {"", 0, 0},
        {"99/12/3", 0, 0},                           // cut inside the day
        {"99/12/31 23:59:3", 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(parseHostDate(c.text, c.options, at(1999, 6)), c.expected) << c.text;
}

TEST(HostDate, ListsWithoutAYearTakeTheYearThatFits) {
    EXPECT_EQ(parseHostDate("12/31 23:59", hostdate::kNoYear, at(2000, 3)), date(1999, 12, 31, 23, 59));
    EXPECT_EQ(parseHostDate("12/31 23:59", hostdate::kNoYear, at(2000, 12)), date(2000, 12, 31, 23, 59));
}

}  // namespace
}  // namespace morvaline
