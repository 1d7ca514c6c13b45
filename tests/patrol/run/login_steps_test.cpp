#include <gtest/gtest.h>

#include "patrol/run/login_script.h"
#include "patrol/run/login_texts.h"
#include "patrol/run/logout_time.h"
#include "patrol/run/reservation_check.h"
#include "platform/text_codec.h"
#include "store/host_date.h"

namespace morvaline {
namespace {

TEST(LoginScript, CaretNotationAndSteps) {
    EXPECT_EQ(expandCaretNotation("^^"), "^");
    EXPECT_EQ(expandCaretNotation("^M^J"), "\r\n");
    EXPECT_EQ(expandCaretNotation("^m"), "\r");  // 109 - 96 = 13
    EXPECT_EQ(expandCaretNotation("^?"), "\x7F");
    EXPECT_EQ(expandCaretNotation("a^ b"), std::string("a\0b", 3));
    EXPECT_EQ(expandCaretNotation("^1x^"), "x");  // dropped with what follows; a final caret too
    const std::string kanji = sj("表^");          // 表 ends in the byte of "\"; ^ stays a caret
    EXPECT_EQ(expandCaretNotation(kanji + "M"), sj("表") + "\r");

    const auto steps = parseLoginScript("[login:]guest'*[Password]pw'");
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].kind, ScriptStep::Kind::WaitFor);
    EXPECT_EQ(steps[0].text, "login:");
    EXPECT_EQ(steps[1].text, "guest\r");
    EXPECT_EQ(steps[2].kind, ScriptStep::Kind::Pause);
    EXPECT_EQ(steps[3].text, "Password");
    EXPECT_EQ(steps[4].text, "pw\r");
}

// The profile menu's texts as a host without a kanji shift shows them: the bare JIS bytes.
TEST(LoginTexts, TheJisFormsOfTheProfileMenuTexts) {
    EXPECT_EQ(loginTexts().currentValueJis, "!J8=:_CM!K");
    EXPECT_EQ(loginTexts().choiceTwoJis, "#2!%");
}

TEST(LogoutTime, BannersInBothFormsAndTheComparison) {
    const FileTime expected = *fileTimeFromFields({2026, 12, 6, 21, 5, 30, 0});
    const std::string japanese = sj("　前回使用終了日時は  2026年12月06日　21時05分30秒　　");
    EXPECT_EQ(japanese.find(sj("前回使用終了日時は  ")), 2u);  // the time starts at byte 22
    EXPECT_EQ(bannerLogoutTime(japanese), expected);
    std::string half = sj("ｾﾞﾝｶｲ LOG OUT") + std::string(12, ' ');
    half += "26/12/06" + std::string(10, ' ') + "21:05:30";
    ASSERT_EQ(half.substr(25, 8), "26/12/06");
    EXPECT_EQ(bannerLogoutTime(half), expected);
    EXPECT_EQ(bannerLogoutTime(sj("ｾﾞﾝｶｲ LOG OUT")), 0);  // too short: no date, no overrun
    EXPECT_EQ(bannerLogoutTime("WELCOME TO LUDRIX-NET"), 0);

    EXPECT_EQ(compareLogoutTimes(expected, expected).text, &texts::kLogoutTimeConsistent);
    EXPECT_TRUE(compareLogoutTimes(expected, expected).matched);
    const auto differ = compareLogoutTimes(expected, expected + kTicksPerSecond);
    EXPECT_EQ(differ.text, &texts::kLogoutTimeInconsistent);
    EXPECT_EQ(differ.arg, sj("実際の前回ﾛｸﾞｱｳﾄ: 2026/12/06 21:05:30, Morvalineによる前回ﾛｸﾞｱｳﾄ: "
                             "2026/12/06 21:05:31"));
    EXPECT_EQ(compareLogoutTimes(expected, 0).text, &texts::kNoLastLogoutTime);
}

TEST(ReservationCheck, LevelsSkipOnceAndOneShot) {
    CItemArray tree;
    tree.add(-1, 0, 0, "MAIN", "LUDRIX", kind::kRoot, 0);
    const int place = tree.add(0, 0, 0, "X", "x", kind::kUnknownPlace, 0);
    CReserveArray menu;
    const int normal = menu.add("normal", 0, 1, 0x1);  // priority B
    const int once = menu.add("once", 0, 0, 0x201);    // priority A, one shot
    tree.setReserve(place, normal);
    EXPECT_FALSE(checkReservation(tree, place, &menu, PatrolLevel::OnlyA, false).due);
    EXPECT_TRUE(checkReservation(tree, place, &menu, PatrolLevel::AAndB, false).due);
    EXPECT_TRUE(checkReservation(tree, place, &menu, PatrolLevel::All, false).due);

    tree.setFlags(place, ITEM_FLAG_SKIP_ONCE, ITEM_FLAG_SKIP_ONCE);
    EXPECT_FALSE(checkReservation(tree, place, &menu, PatrolLevel::All, true).due);
    EXPECT_TRUE(tree.item(place).hasFlag(ITEM_FLAG_SKIP_ONCE));  // peeking keeps it
    EXPECT_FALSE(checkReservation(tree, place, &menu, PatrolLevel::All, false).due);
    EXPECT_FALSE(tree.item(place).hasFlag(ITEM_FLAG_SKIP_ONCE));

    tree.setReserve(place, once);
    const DueCheck first = checkReservation(tree, place, &menu, PatrolLevel::OnlyA, false);
    EXPECT_TRUE(first.due);
    EXPECT_TRUE(first.reservationCleared);
    EXPECT_FALSE(tree.item(place).isReserved());
    EXPECT_FALSE(checkReservation(tree, place, &menu, PatrolLevel::All, false).due);
    EXPECT_EQ(checkReservation(tree, place, nullptr, PatrolLevel::All, false).priority, 999);
}

}  // namespace
}  // namespace morvaline
