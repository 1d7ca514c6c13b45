// End to end: the forum service of morvaline-cli patrols against ludrix-host, over the host's
// screen variants (tag lines with or without the highest number, comment markers, "<BM>"
// prompts, rooms two to a line, highest numbers in full-width digits, folders without a
// mark, the handle after a slash or a blank, titles lists in tight columns or with times).

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "e2e/mail_patrol_fixture.h"

namespace morvaline {
namespace {

std::string messageJson(int n, const std::string& from, const std::string& title,
                        const std::string& body) {
    char date[32];
    std::snprintf(date, sizeof date, "1999/12/%02d 10:%02d:00", n % 28 + 1, n % 60);
    return R"({"from": ")" + from + R"(", "handle": ")" + (from == "MVL00002" ? "ハナコ" : "タロウ") +
           R"(", "date": ")" + date + R"(", "title": ")" + title + R"(", "body": [)" + body + "]}";
}

// Room 1: twelve messages, a thread of comments three deep and a text line that looks like
// a tag; room 2: five questions; room 4 takes no posts; folder 5 holds one room.
std::string roomOne(int count) {
    std::string messages;
    for (int n = 1; n <= count; ++n) {
        std::string title = "話題" + std::to_string(n);
        std::string body = R"("本文)" + std::to_string(n) + R"(です。")";
        if (n == 2 || n == 3) title = "RE:#" + std::to_string(n - 1) + " 話題1";
        if (n == 5) body = R"("#12 について", "どう思いますか。")";
        if (n == 6) title = "RE:#5 話題5";
        messages += (n > 1 ? ",\n" : "") + messageJson(n, n % 2 ? "MVL00002" : "MVL00003", title, body);
    }
    return messages;
}

std::string world(const std::string& layout, const std::string& prompt, int count = 12) {
    std::string questions;
    for (int n = 1; n <= 5; ++n)
        questions += (n > 1 ? "," : "") + messageJson(n, "MVL00002", "問" + std::to_string(n), R"("質問")");
    return R"({"host": {"page_size": 10}, "forum_layout": )" + layout + R"(,
 "users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00"},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ", "login_notices": "off"},
  {"id": "MVL00003", "password": "taro", "handle": "タロウ", "login_notices": "off"}],
 "sigs": [{"code": "PCSIG", "aliases": ["PCOLD"], "name": "パソコンＳＩＧ", "forums": [
  {"number": 1, "name": "総合フォーラム", "talk": true, "rooms": [
   {"number": 1, "name": "雑談会議室", "prompt": ")" + prompt + R"(", "messages": [)" +
           roomOne(count) + R"(]},
   {"number": 2, "name": "質問会議室", "messages": [)" + questions + R"(]},
   {"number": 4, "name": "書き込めない会議室", "posting": "refuse"},
   {"number": 5, "name": "過去ログ", "folder": [{"number": 1, "name": "古い会議室",
     "messages": [)" + messageJson(1, "MVL00003", "昔の話", R"("昔")") + R"(]}]}]}]}]})";
}

class ForumPatrolTest : public MailPatrolFixture,
                        public ::testing::WithParamInterface<std::pair<const char*, const char*>> {
protected:
    // The forum "PCSIG/1" with rooms 1 and 9 (the host has no room 9), the forum's room list
    // reserved, room 1 reserved with its menu entry `entry`.
    void addForum(const std::string& entry = "1") {
        ASSERT_EQ(cli("forum MVL00001 add PCOLD 1 --title 総合 --rooms 1,9").status, 0);
        ASSERT_EQ(cli("reserve MVL00001 PCOLD/1/1 " + entry).status, 0);
        const auto reserved = cli("reserve MVL00001 " + areaIndex() + " 1");
        ASSERT_EQ(reserved.status, 0) << reserved.output;
    }
    // The index of the forum's message area in the tree output.
    std::string areaIndex() {
        const std::string tree = cli("tree MVL00001").output;
        const std::size_t at = tree.find("[0 PCOLD/1]");
        const std::size_t start = tree.rfind('\n', at) + 1;
        return std::to_string(std::stoi(tree.substr(start, at - start)));
    }
    std::string tree() { return cli("tree MVL00001").output; }
    // The room's place, by its host path.
    static std::string room(int number) { return "PCSIG/1/" + std::to_string(number); }
    void setHostPosition(bool on) {
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeInt("MVL00001", "UseHostReadPosition", on ? 1 : 0);
        ASSERT_TRUE(registry.sync());
    }
    std::string transcript() {
        std::string text;
        EXPECT_TRUE(readWholeFile(dir / "t.txt", text));
        return text;
    }
    test::ProgramResult patrolRecorded() {
        auto run = cli("patrol MVL00001 --transcript '" + (dir / "t.txt").string() + "'");
        EXPECT_EQ(run.status, 0) << run.output;
        return run;
    }
};

// The names of the screen variants, the parts of the test that run side by side.
std::string screensName(const ::testing::TestParamInfo<std::pair<const char*, const char*>>& info) {
    constexpr const char* kNames[] = {"PlainScreens", "ShortTagsAndBoardPrompts", "TwoRoomsALine"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ForumPatrolTest,
    ::testing::Values(
        std::pair{R"({})", "fm"},
        std::pair{R"({"tag": "short", "comment_marker": "stars", "handle_separator": "slash",
                      "highest": "wide", "folder_mark": false, "titles_list": "tight"})",
                  "bm_rc"},
        std::pair{R"({"room_list": "double", "comment_marker": "count", "comment_count": false,
                      "handle_separator": "blank", "titles_list": "time"})",
                  "fm_rc"}),
    screensName);

TEST_P(ForumPatrolTest, AVisitKeepsTheRoomListAndReadsNewMessagesFromBothPositions) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam().first, GetParam().second)));
    ASSERT_NO_FATAL_FAILURE(addForum());
    const auto first = patrolRecorded();
    // The SIG's new code, the room list: one room renamed, others added, one gone.
    for (const char* said :
         {"SIGの略名が 'PCSIG' に変更されています。", "SIG 'PCSIG' へ移動しました",
          "ﾌｫｰﾗﾑ名が '雑談会議室' に変更されました", "新しいﾌｫｰﾗﾑ '質問会議室' を追加しました",
          "新しいﾌｫｰﾗﾑ '過去ログ' を追加しました", "新しいﾌｫｰﾗﾑ '古い会議室' を追加しました",
          "ﾌｫｰﾗﾑ '会議室9' が見つかりませんでした。閉鎖された可能性があります。",
          "'#12 について' は発言の始まりではないので、本文として読み込みました"})
        EXPECT_NE(first.output.find(said), std::string::npos) << said << "\n" << first.output;
    EXPECT_EQ(first.output.find("ＯＬＴ"), std::string::npos);
    const std::string places = tree();
    EXPECT_NE(places.find("雑談会議室  [2 PCOLD/1]  room 1, read 12 of 12"), std::string::npos) << places;
    EXPECT_NE(places.find("古い会議室  [2 PCOLD/1]  room 1, read 0 of 1"), std::string::npos) << places;

    // Comments hang under what they answer, and the text line "#12 について" stayed text.
    const std::vector<std::string> lines = listed(room(1));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_NE(lines[0].find("#1 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("(タロウ)    話題1"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("(ハナコ)      話題1"), std::string::npos) << lines[2];
    EXPECT_NE(lines[5].find("#6 "), std::string::npos) << lines[5];
    EXPECT_NE(lines[5].find("(タロウ)    話題5"), std::string::npos) << lines[5];
    EXPECT_NE(cli("show MVL00001 " + room(1) + " '#5'").output.find("#12 について\r\nどう思いますか。"),
              std::string::npos);

    // Two new messages; from the host's read position only they are read.
    changeWorld(R"(r = w["sigs"][0]["forums"][0]["rooms"][0]; r["messages"] += [dict(r["messages"][0], title="新13"), dict(r["messages"][0], title="新14")])");
    ASSERT_NO_FATAL_FAILURE(setHostPosition(true));
    patrolRecorded();
    EXPECT_NE(transcript().find("C: RN1\\r"), std::string::npos);
    EXPECT_EQ(listed(room(1)).size(), 14u);
    EXPECT_NE(lineOf(room(1), "新14").find("#14 "), std::string::npos);

    // Nothing new: from the host's position the room list says so; from the stored one only
    // the read position is handed back.
    patrolRecorded();
    EXPECT_EQ(transcript().find("C: RN1"), std::string::npos);
    ASSERT_NO_FATAL_FAILURE(setHostPosition(false));
    patrolRecorded();
    EXPECT_NE(transcript().find("C: SC14\\r"), std::string::npos);
    EXPECT_EQ(transcript().find("C: RB"), std::string::npos);
    EXPECT_EQ(listed(room(1)).size(), 14u);
}

TEST_P(ForumPatrolTest, TitlesOnlyLatestOnlyAndSingleMessages) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam().first, GetParam().second)));
    ASSERT_NO_FATAL_FAILURE(addForum("2"));  // "ﾀｲﾄﾙのみ取得"
    patrol();
    std::vector<std::string> titles = listed(room(1));
    ASSERT_EQ(titles.size(), 12u);
    EXPECT_NE(tree().find("room 1, read 12 of 12  messages 12"), std::string::npos);

    // One message read by itself, one deleted that is not the user's.
    ASSERT_EQ(cli("reserve-item MVL00001 " + room(1) + " '#4' read").status, 0);
    ASSERT_EQ(cli("reserve-item MVL00001 " + room(1) + " '#3' delete").status, 0);
    const auto single = patrol(3);  // the deletion failed
    EXPECT_NE(single.output.find("'話題1' は削除できませんでした"), std::string::npos) << single.output;
    EXPECT_NE(cli("show MVL00001 " + room(1) + " '#4'").output.find("本文4です。"), std::string::npos);
    EXPECT_EQ(lineOf(room(1), "話題4").find("R]"), std::string::npos);

    // "最新発言番号のみ取得": the host's read position goes back after each read, so the
    // latest message comes again, and is stored once.
    changeWorld(R"(r = w["sigs"][0]["forums"][0]["rooms"][0]; r["messages"].append(dict(r["messages"][0], title="最新")))");
    ASSERT_EQ(cli("reserve MVL00001 " + room(1) + " 3").status, 0);
    const std::filesystem::path texts = dir / "data" / "morvaline" / "MVL00001" / "PCOLD1.FB0";
    patrol();
    const auto size = std::filesystem::file_size(texts);
    const auto again = patrolRecorded();
    EXPECT_NE(transcript().find("C: RB-,1\\r"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(texts), size);
    EXPECT_EQ(listed(room(1)).size(), 13u);
    EXPECT_NE(cli("show MVL00001 " + room(1) + " '#13'").output.find("本文1です。"), std::string::npos);
}

TEST_P(ForumPatrolTest, PostsAndCommentsAreRegisteredAndARefusedPostStaysReserved) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam().first, GetParam().second)));
    ASSERT_NO_FATAL_FAILURE(addForum());
    patrol();
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "よろしく。\n..で始まる行\n"));
    const std::string body = " --body-file '" + (dir / "body.txt").string() + "' --reserve";
    ASSERT_EQ(cli("write MVL00001 post " + room(1) + " --subject 自己紹介" + body).status, 0);
    ASSERT_EQ(cli("write MVL00001 post " + room(1) + " --comment-to 2" + body).status, 0);
    ASSERT_EQ(cli("write MVL00001 post " + room(4) + " --subject 届かない" + body).status, 0);
    const auto posting = patrol(3);  // one post was refused
    EXPECT_NE(posting.output.find("発言 '自己紹介' を登録しました"), std::string::npos) << posting.output;
    EXPECT_NE(posting.output.find("発言 'RE:#2 話題1' を登録しました"), std::string::npos);
    EXPECT_NE(posting.output.find("発言 '届かない' を登録できませんでした"), std::string::npos);
    EXPECT_EQ(inWorld(R"([(m["title"], m["body"], m["from"]) for m in w["sigs"][0]["forums"][0]["rooms"][0]["messages"][12:]])"),
              "[('自己紹介', ['よろしく。', ' ..で始まる行'], 'MVL00001'), "
              "('RE:#2 話題1', ['よろしく。', ' ..で始まる行'], 'MVL00001')]");
    // The posts came back with their numbers, each once; the comment under #2.
    EXPECT_EQ(listed(room(1)).size(), 14u);
    EXPECT_NE(lineOf(room(1), "自己紹介").find("#13 "), std::string::npos);
    bool underTwo = false;
    std::string all;
    for (const std::string& line : listed(room(1))) {
        underTwo = underTwo || (line.find("#14 ") != std::string::npos &&
                                line.find("(デモ)      話題1") != std::string::npos);
        all += line + "\n";
    }
    EXPECT_TRUE(underTwo) << all;
    EXPECT_NE(lineOf(room(4), "届かない").find("RS]"), std::string::npos);
}

TEST_P(ForumPatrolTest, ALineLostInTheMiddleOfAReadLosesNothingAndSkipsNothing) {
    ASSERT_NO_FATAL_FAILURE(start(world(GetParam().first, GetParam().second, 200),
                                  {"--close-after", "9000", "--fault-sessions", "1"}));
    ASSERT_NO_FATAL_FAILURE(addForum());
    const auto broken = cli("patrol MVL00001");
    EXPECT_EQ(broken.status, 104) << broken.output;
    const std::size_t stored = listed(room(1)).size();
    EXPECT_GT(stored, 0u);
    EXPECT_LT(stored, 200u);
    patrol();
    const std::vector<std::string> lines = listed(room(1));
    ASSERT_EQ(lines.size(), 200u);
    std::set<int> numbers;
    for (const std::string& line : lines) numbers.insert(std::stoi(line.substr(line.find('#') + 1)));
    EXPECT_EQ(numbers.size(), 200u);
    EXPECT_EQ(*numbers.rbegin(), 200);
}

}  // namespace
}  // namespace morvaline
