// End to end: boards, clubs and circles patrolled by morvaline-cli against ludrix-host. They
// are served after the walk, clubs first, then circles, then boards, whatever their place in
// the tree; a wrong password ends only its club; passwords never show in the transcript.

#include <gtest/gtest.h>

#include "e2e/mail_patrol_fixture.h"
#include "platform/atomic_file.h"

namespace morvaline {
namespace {

const char* const kWorld = R"({"host": {"page_size": 10},
 "users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
            "last_logout": "2000/01/04 22:00:00"}],
 "services": [
  {"code": "BBS1", "kind": "board", "name": "伝言板", "password": "bbspass", "messages": [
    {"from": "MVL00002", "handle": "山", "date": "1999/12/01 10:00:00", "title": "はじめまして", "body": ["一通目"]},
    {"from": "MVL00003", "handle": "川", "date": "1999/12/02 10:00:00", "title": "RE:#1 どうも", "body": ["二通目"]}]},
  {"code": "FISH", "kind": "club", "name": "釣りクラブ", "password": "fish", "banner": "blanks", "messages": [
    {"from": "MVL00002", "handle": "山", "date": "1999/12/03 10:00:00", "title": "釣果", "body": ["鯛"]}]},
  {"code": "GO", "kind": "club", "name": "囲碁クラブ", "password": "stone"},
  {"code": "PHOTO", "kind": "circle", "name": "写真サークル", "messages": [
    {"from": "MVL00002", "handle": "山", "date": "1999/12/04 10:00:00", "title": "作品", "body": ["夕焼け"]}]}]})";

class BoardsTest : public MailPatrolFixture {
protected:
    void add(const std::string& what, const std::string& code, const std::string& password) {
        environment = password.empty() ? "" : "MORVALINE_PLACE_PASSWORD=" + password + " ";
        const auto added = cli("place MVL00001 add " + what + " " + code + (password.empty() ? "" : " --password"));
        ASSERT_EQ(added.status, 0) << added.output;
        environment.clear();
        ASSERT_EQ(cli("reserve MVL00001 " + place(what, code) + " 毎回読む").status, 0);
    }
    static std::string place(const std::string& what, const std::string& code) {
        return what == "club" ? "CLUB/" + code : what == "circle" ? "CIRCLE/" + code : code;
    }
};

TEST_F(BoardsTest, ClubsThenCirclesThenBoardsAreReadAndPostedTo) {
    ASSERT_NO_FATAL_FAILURE(start(kWorld));
    // The tree holds the board first; the wrong password's club comes before the next club.
    ASSERT_NO_FATAL_FAILURE(add("board", "BBS1", "bbspass"));
    ASSERT_NO_FATAL_FAILURE(add("circle", "PHOTO", ""));
    ASSERT_NO_FATAL_FAILURE(add("club", "GO", "wrong"));
    ASSERT_NO_FATAL_FAILURE(add("club", "FISH", "fish"));
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "本文\n..で始まる行\n"));
    ASSERT_EQ(cli("write MVL00001 post BBS1 --subject 書き込み --no-template --reserve --body-file '" +
                  (dir / "body.txt").string() + "'")
                  .status,
              0);

    const std::string transcript = (dir / "run.txt").string();
    const auto run = cli("patrol MVL00001 --transcript '" + transcript + "'");
    EXPECT_EQ(run.status, 3) << run.output;  // the club behind the wrong password
    std::size_t last = 0;
    for (const char* said : {"ｸﾗﾌﾞ 'ｸﾗﾌﾞ GO' へ移動できませんでした", "ｸﾗﾌﾞ '釣りクラブ' へ移動しました",
                             "ｸﾗﾌﾞ '写真サークル' へ移動しました", "掲示板 '伝言板' へ移動しました",
                             "発言 '書き込み' を登録しました"}) {
        const std::size_t at = run.output.find(said, last);
        EXPECT_NE(at, std::string::npos) << said << "\n" << run.output;
        if (at != std::string::npos) last = at;
    }
    std::string sent;
    ASSERT_TRUE(readWholeFile(transcript, sent));
    const std::size_t go = sent.find("C: GO\\r"), fish = sent.find("C: FISH\\r"), photo = sent.find("C: PHOTO\\r"),
                      board = sent.find("C: BBS1");
    EXPECT_LT(go, fish);
    EXPECT_LT(fish, photo);
    EXPECT_LT(photo, board);
    EXPECT_NE(board, std::string::npos);
    for (const char* secret : {"bbspass", "fish\\r", "wrong"}) EXPECT_EQ(sent.find(secret), std::string::npos) << secret;

    // What was read is stored (the post came back as the board's third message), the banner
    // names the places, the post arrived as written, and the host keeps each read position
    // at the last message stored.
    EXPECT_EQ(listed("BBS1").size(), 3u);
    EXPECT_EQ(listed("CLUB/FISH").size(), 1u);
    EXPECT_EQ(listed("CIRCLE/PHOTO").size(), 1u);
    EXPECT_EQ(inWorld(R"([(s["code"], s.get("read"), [m["title"] for m in s.get("messages", [])][2:])
                         for s in w["services"]])"),
              "[('BBS1', {'MVL00001': 3}, ['書き込み']), ('FISH', {'MVL00001': 1}, []), "
              "('GO', {}, []), ('PHOTO', {'MVL00001': 1}, [])]");
    EXPECT_EQ(inWorld(R"(w["services"][0]["messages"][2]["body"])"), "['本文', ' ..で始まる行']");

    // The next patrol reads only what is new.
    ASSERT_NO_FATAL_FAILURE(changeWorld(R"(w["services"][0]["messages"].append({"from": "MVL00002",
        "handle": "山", "date": "1999/12/05 10:00:00", "title": "新着", "body": ["四通目"]}))"));
    const auto again = cli("patrol MVL00001");
    EXPECT_EQ(again.status, 3) << again.output;
    EXPECT_EQ(inWorld(R"(w["services"][0]["read"])"), "{'MVL00001': 4}");
    EXPECT_EQ(listed("BBS1").size(), 4u);
}

}  // namespace
}  // namespace morvaline
