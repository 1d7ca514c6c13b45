#include "patrol/engine/host_text.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace morvaline {
namespace {

TEST(PageMarker, FindsTheLastLineWhenItIsAMarker) {
    struct Case {
        const char* name;
        std::string text;
        long position;
    };
    const Case cases[] = {
        {"page counter after the listing", "entry\r\n  1/  3", 7},
        {"counter followed by CR LF", "entry\r\n 12/ 30\r\n", 7},
        {"counter with text after it", "  2/  2 ....", 0},
        {"the next-screen line", "entry\r\n" + sj("\"N(ﾘﾀｰﾝ)\"で続きの画面を表示します。"), 7},
        {"next-screen line with more after it",
         "x\n" + sj("\"N(ﾘﾀｰﾝ)\"で続きの画面を表示します。") + "!", -1},
        {"a date is not a counter", "entry\r\n2024/01/01", -1},
        {"a counter of two columns", "entry\r\n 1/ 3", -1},
        {"a counter not on the last line", "  1/  3\r\nentry", -1},
        {"empty text", "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pageMarkerPosition(c.text), c.position);
    }
}

TEST(PageMarker, SecondFormNeedsTheNextPageOffered) {
    EXPECT_EQ(pageMarkerPosition("x\n  1/  3", sj("番号またはコマンド(M,Q,N)=")), 2);
    EXPECT_EQ(pageMarkerPosition("x\n  3/  3", sj("番号またはコマンド(M,Q)=")), -1);
}

TEST(MenuEntry, FindsAnEntryByItsFullWidthNumber) {
    const std::string listing = sj("１．電子メール　２．フォーラム\r\n１２．お知らせ\r\n");
    const auto mail = findMenuEntry(listing, 1);
    ASSERT_TRUE(mail);
    EXPECT_EQ(sjisToUtf8(mail->text), "電子メール　");
    EXPECT_EQ(sjisToUtf8(listing.substr(mail->rest)), "２．フォーラム\r\n１２．お知らせ\r\n");

    const auto forum = findMenuEntry(listing, 2);  // not the "2" inside "12"
    ASSERT_TRUE(forum);
    EXPECT_EQ(sjisToUtf8(forum->text), "フォーラム\r\n");

    const auto notices = findMenuEntry(listing, 12);
    ASSERT_TRUE(notices);
    EXPECT_EQ(sjisToUtf8(notices->text), "お知らせ\r\n");
    EXPECT_EQ(notices->rest, listing.size());

    EXPECT_FALSE(findMenuEntry(listing, 3));
    EXPECT_FALSE(findMenuEntry(sj("１２"), 12));  // no full stop: not a number mark
    EXPECT_FALSE(findMenuEntry("", 1));
}

TEST(MenuEntry, DigitsAsTrailBytesAreNotNumbers) {
    // 0x82 0x50 is a full-width "1" only where a character begins; here 0x82 is the trail
    // byte of another character.
    const std::string listing = std::string("\x88\x82") + "\x50" + sj("．") + sj("１．本物");
    const auto entry = findMenuEntry(listing, 1);
    ASSERT_TRUE(entry);
    EXPECT_EQ(sjisToUtf8(entry->text), "本物");
}

}  // namespace
}  // namespace morvaline
