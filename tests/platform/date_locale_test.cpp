// The system's date and time formats, turned into the pictures of template fields.

#include "platform/date_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/text_codec.h"

namespace morvaline {
namespace {

TEST(DateLocale, FormatsOfTheSystemBecomePictures) {
    // The first use of the system locale reads the environment.
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    const DateLocale ja = systemDateLocale();
    EXPECT_EQ(ja.shortDate, "yyyy/MM/dd");
    EXPECT_EQ(ja.longDate, sj("yyyy年M月d日dddd"));
    EXPECT_EQ(ja.time, sj("H時mm分ss秒"));  // without the time zone
    EXPECT_EQ(ja.dayNames[0], sj("日曜日"));
    EXPECT_EQ(ja.shortDayNames[6], sj("土"));
    EXPECT_EQ(ja.monthNames[1], sj("2月"));
    EXPECT_EQ(ja.am, sj("午前"));
    EXPECT_EQ(ja.era, sj("西暦"));
}

}  // namespace
}  // namespace morvaline
