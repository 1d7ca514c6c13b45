#include "platform/sjis.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace morvaline {
namespace {

TEST(Sjis, BoundedCopyNeverSplitsADoubleByteCharacter) {
    const std::string text = "A" + sj("電子");  // 1 + 2 + 2 bytes
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(sjisBoundedCopy(text, 5), text);
    EXPECT_EQ(sjisBoundedCopy(text, 4), "A" + sj("電"));
    EXPECT_EQ(sjisBoundedCopy(text, 2), "A");  // the lead byte alone is left out
    EXPECT_EQ(sjisBoundedCopy(text, 0), "");
    // Half-width katakana are single bytes.
    EXPECT_EQ(sjisBoundedCopy(sj("ﾒｰﾙ"), 2), sj("ﾒｰ"));
    // A cut right after a lead byte at the end of the text leaves it out.
    EXPECT_EQ(sjisBoundedCopy("ab\x82", 2), "ab");
    EXPECT_EQ(sjisBoundedCopy("ab\x82\xA0", 3), "ab");
}

TEST(TextCodec, DisplayConversionNeverStops) {
    EXPECT_EQ(sjisToUtf8(sj("ﾒｰﾙ 受信")), "ﾒｰﾙ 受信");
    // 0x80, 0xA0 and 0xFF have no character; a lone lead byte ends the text.
    EXPECT_EQ(sjisToUtf8("a\x80" "b\xA0" "c\xFF" "d\x82"),
              "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xEF\xBF\xBD" "d\xEF\xBF\xBD");
    // A character without a Shift_JIS code becomes "?"; broken UTF-8 is dropped.
    EXPECT_EQ(utf8ToSjis("x\xF0\x9F\x98\x80y\xC3"), "x?y");
}

}  // namespace
}  // namespace morvaline
