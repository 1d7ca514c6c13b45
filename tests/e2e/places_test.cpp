// End to end: places reached by their host path, patrolled by morvaline-cli against
// ludrix-host: posting places behind a password, in each form of the host's text entry, and
// a paid service that the patrol refuses to enter.

#include <gtest/gtest.h>

#include "e2e/mail_patrol_fixture.h"

namespace morvaline {
namespace {

const char* const kWorld = R"({"host": {"page_size": 10},
 "users": [{"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
            "last_logout": "2000/01/04 22:00:00"}],
 "services": [
  {"code": "POSTBOX", "name": "投稿箱", "password": "himitsu", "entry": "lines200"},
  {"code": "OPINION", "name": "ご意見", "entry": "lines501"},
  {"code": "PAYINFO", "name": "有料情報", "fee": true},
  {"code": "LOCKED", "name": "鍵付き", "password": "other"}]})";

class PlacesTest : public MailPatrolFixture {
protected:
    void addPosting(const std::string& path, const std::string& title, bool password = false) {
        const auto added = cli("place MVL00001 add posting " + path + " --title " + title +
                               (password ? " --password" : ""));
        ASSERT_EQ(added.status, 0) << added.output;
        const auto written = cli("write MVL00001 post " + title + " --subject '" + title +
                                 "へ' --no-template --reserve --body-file '" + (dir / "body.txt").string() + "'");
        ASSERT_EQ(written.status, 0) << written.output;
    }
};

TEST_F(PlacesTest, PostsGoThroughPasswordsAndTextEntriesAndAPaidServiceIsRefused) {
    ASSERT_NO_FATAL_FAILURE(start(kWorld));
    ASSERT_TRUE(writeFileAtomically(dir / "body.txt", "一行目\n..で始まる行\n"));
    environment = "MORVALINE_PLACE_PASSWORD=himitsu ";
    ASSERT_NO_FATAL_FAILURE(addPosting("POSTBOX/1", "投稿箱", true));
    environment = "MORVALINE_PLACE_PASSWORD=wrong ";
    ASSERT_NO_FATAL_FAILURE(addPosting("LOCKED/1", "鍵付き", true));
    environment.clear();
    ASSERT_NO_FATAL_FAILURE(addPosting("PAYINFO/1", "有料情報"));
    ASSERT_NO_FATAL_FAILURE(addPosting("OPINION/1", "ご意見"));

    // Posts that did not go make the run exit with status 3.
    const auto run = cli("patrol MVL00001");
    EXPECT_EQ(run.status, 3) << run.output;
    for (const char* said : {"'投稿箱' へ移動しました", "発言 '投稿箱へ' を登録しました",
                             "'鍵付き' へ移動できませんでした", "'有料情報' 有料ｻｰﾋﾞｽへの移行を禁止します",
                             "'有料情報' へ移動できませんでした", "発言 'ご意見へ' を登録しました"})
        EXPECT_NE(run.output.find(said), std::string::npos) << said << "\n" << run.output;
    EXPECT_EQ(run.output.find("himitsu"), std::string::npos);
    // The text arrived as written: a line beginning with ".." went with a blank in front.
    EXPECT_EQ(inWorld(R"([(s["code"], [(p["title"], p["body"]) for p in s["posts"]]) for s in w["services"]])"),
              "[('POSTBOX', [('投稿箱へ', ['一行目', ' ..で始まる行'])]), ('OPINION', [('ご意見へ', "
              "['一行目', ' ..で始まる行'])]), ('PAYINFO', []), ('LOCKED', [])]");

    // The refused posts still wait; the next patrol tries them again and posts nothing twice.
    const auto again = cli("patrol MVL00001");
    EXPECT_EQ(again.status, 3) << again.output;
    EXPECT_NE(again.output.find("'有料情報' 有料ｻｰﾋﾞｽへの移行を禁止します"), std::string::npos) << again.output;
    EXPECT_EQ(again.output.find("'投稿箱' へ移動しました"), std::string::npos) << again.output;
    EXPECT_EQ(inWorld(R"(sum(len(s["posts"]) for s in w["services"]))"), "2");
}

}  // namespace
}  // namespace morvaline
