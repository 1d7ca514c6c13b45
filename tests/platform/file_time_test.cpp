#include "platform/file_time.h"

#include <gtest/gtest.h>

namespace morvaline {
namespace {

TEST(FileTime, KnownDatesAndRoundTrip) {
    // 1601-01-01 is tick 0; 1970-01-01 is the well-known 116444736000000000.
    EXPECT_EQ(fileTimeFromFields({1601, 1, 1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(fileTimeFromFields({1970, 1, 1, 0, 0, 0, 0}), 116444736000000000LL);
    const LocalTimeFields leap{2024, 2, 29, 23, 59, 58, 123};
    const auto t = fileTimeFromFields(leap);
    ASSERT_TRUE(t);
    const auto back = fieldsFromFileTime(*t);
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 58);
    EXPECT_EQ(back.millisecond, 123);
    EXPECT_EQ(back.dayOfWeek, 4);  // a Thursday
}

TEST(FileTime, RejectsImpossibleFields) {
    EXPECT_FALSE(fileTimeFromFields({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(fileTimeFromFields({2000, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(fileTimeFromFields({2000, 1, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(fileTimeFromFields({1600, 12, 31, 0, 0, 0, 0}));
    EXPECT_TRUE(fileTimeFromFields({2000, 2, 29, 0, 0, 0, 0}));  // divisible by 400
}

TEST(FileTime, WordsRoundTrip) {
    const FileTime t = 0x01D9'1234'8765'4321LL;
    EXPECT_EQ(fileTimeFromWords(fileTimeLow(t), fileTimeHigh(t)), t);
    EXPECT_GT(fileTimeNow(), *fileTimeFromFields({2020, 1, 1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace morvaline
