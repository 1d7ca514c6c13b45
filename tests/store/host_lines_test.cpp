#include "store/host_lines.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/fetched_message.h"

namespace morvaline {
namespace {

TEST(HostLines, MessageTags) {
    EXPECT_EQ(messageTagLength("#12/3"), 5u);
    EXPECT_EQ(messageTagLength("#12/3 title"), 5u);
    EXPECT_EQ(messageTagLength("#1/2/3" + sj("題名")), 6u);  // ends at a double-byte character
    EXPECT_EQ(messageTagLength("#123"), 0u);                // no slash
    EXPECT_EQ(messageTagLength("#" + sj("題") + "1/2"), 0u);  // double-byte right after "#"
    EXPECT_EQ(messageTagLength("#12a/3"), 0u);
    EXPECT_EQ(messageTagLength(""), 0u);
    EXPECT_EQ(messageTagLength("#"), 0u);
}

TEST(HostLines, PageLinesAndPrompts) {
    EXPECT_EQ(pageLine("  3/  3"), PageLine::Last);
    EXPECT_EQ(pageLine("  2/  3"), PageLine::More);
    EXPECT_EQ(pageLine(" 12/ 12"), PageLine::Last);
    EXPECT_EQ(pageLine("  3/  3 "), PageLine::None);  // 8 characters
    EXPECT_EQ(pageLine("   /  3"), PageLine::None);
    EXPECT_EQ(pageLine("  1/2/3"), PageLine::None);
    EXPECT_TRUE(isMailPrompt(sj("番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=")));
    EXPECT_TRUE(isMailPrompt("  3/  3"));
    EXPECT_FALSE(isMailPrompt("  2/  3"));
    EXPECT_TRUE(isBoardPrompt(sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=")));
    EXPECT_FALSE(isBoardPrompt(sj("番号またはコマンド(M,S,F,H,Q,J)=")));
    EXPECT_TRUE(isTitleLine(sj("★タイトル") + " (FORUM 12)"));
    EXPECT_FALSE(isTitleLine(sj("★タイトル") + " (forum)"));
    EXPECT_FALSE(isTitleLine(sj("★タイトル") + " (FORUM"));
}

TEST(HostLines, MailListLinesAreReadOnlyInTheirExactShape) {
    const std::string line = "#00000012         99/12/31    23:59:30";
    ASSERT_EQ(line.size(), 38u);
    EXPECT_TRUE(isMailListLine(line));
    EXPECT_EQ(mailListDate(line), "99/12/31    23:59:30");
    EXPECT_FALSE(isMailListLine(line.substr(0, 37)));
    EXPECT_EQ(mailListDate(line.substr(0, 20)), "");
    EXPECT_FALSE(isMailListLine("#0000001x         99/12/31    23:59:30"));
    EXPECT_EQ(cutCommentMarker("#1/2 title    *** " + sj("ｺﾒﾝﾄ") + " #1/1"), "#1/2 title");
    EXPECT_EQ(cutCommentMarker("#1/2 title " + sj("ｺﾒﾝﾄ数(") + "3)"), "#1/2 title");
}

TEST(HostLines, SendersOfEveryNetwork) {
    const std::string label = sj("発信者：");
    MailSender user = parseSenderLine(label + "ABC12345      " + sj("山田"));
    EXPECT_EQ(user.address, "ABC12345");
    EXPECT_EQ(user.name, sj("山田"));
    EXPECT_FALSE(user.internet);
    MailSender inet = parseSenderLine(label + "INET#taro@example.jp  Taro");
    EXPECT_EQ(inet.address, "taro@example.jp");
    EXPECT_EQ(inet.name, "Taro");
    EXPECT_TRUE(inet.internet);
    MailSender trunk = parseSenderLine(label + "TRUNKGW#hanako@example.jp");
    EXPECT_EQ(trunk.address, "hanako@example.jp");
    EXPECT_EQ(trunk.name, "");
    MailSender orven = parseSenderLine(label + "ORVEN#XY0001");
    EXPECT_EQ(orven.address, "ORVEN#XY0001");
    EXPECT_FALSE(orven.internet);
    EXPECT_EQ(parseSenderLine(label).address, "");
    EXPECT_EQ(parseSenderLine("not a sender").address, "");
}

}  // namespace
}  // namespace morvaline
