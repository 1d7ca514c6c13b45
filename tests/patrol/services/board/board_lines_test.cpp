// The entry screens of boards, clubs and circles: the banner's title and a club's code.

#include <gtest/gtest.h>

#include "patrol/services/board/board_lines.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

TEST(BoardLines, BannerTitles) {
    struct Row {
        const char* fault;
        std::string screen;
        std::optional<std::string> title;
    };
    const Row rows[] = {
        {"the wide form missed", sj("\r\n\r\n＊＊＊＊　伝言板　＊＊＊＊\r\n"), sj("伝言板")},
        {"two blanks after the stars missed", sj("\r\n＊＊＊＊  釣りクラブ　＊＊＊＊\r\n"), sj("釣りクラブ")},
        {"blanks kept", sj("＊＊＊＊　　 名前 　＊＊＊＊"), sj("名前")},
        {"a banner across lines taken", sj("＊＊＊＊　伝言\r\n板　＊＊＊＊"), std::nullopt},
        {"an empty banner taken", sj("＊＊＊＊　　＊＊＊＊"), std::nullopt},
        {"stars without a banner taken", sj("＊＊＊＊＊＊＊＊\r\n"), std::nullopt},
    };
    for (const Row& row : rows) EXPECT_EQ(bannerTitle(row.screen), row.title) << row.fault;
}

TEST(BoardLines, ClubCodes) {
    EXPECT_EQ(clubCode("CLUB/FISH", false), "FISH");
    EXPECT_EQ(clubCode("CIRCLE/PHOTO/2", true), "PHOTO");
    EXPECT_EQ(clubCode("CLUB/FISH", true), "");    // a club's path for a circle
    EXPECT_EQ(clubCode("CLUB/FI\rSH", false), "");  // a CR would type a command of its own
    EXPECT_EQ(clubCode("FISH", false), "");
}

}  // namespace
}  // namespace morvaline
