// End to end: the tools over data sets that patrolled ludrix-host: the mail assistant
// sorting a patrol's mail into two folders, a month of mail expired by a rule, and a
// terminal log imported as the messages a patrol stores.

#include <gtest/gtest.h>

#include <QProcess>

#include <chrono>
#include <ctime>

#include "mail_patrol_fixture.h"
#include "support/qt_support.h"

namespace morvaline {
namespace {

std::string mailJson(int n, const std::string& subject, const std::string& date) {
    return R"({"from": "MVL00002", "from_name": "ハナコ", "date": ")" + date + R"(", "subject": ")" +
           subject + R"(", "state": "unread", "body": ["本文)" + std::to_string(n) + R"(です。", "以上"]})";
}

std::string worldWith(const std::string& mails) {
    return R"({"host": {"page_size": 15},
 "users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00", "mailbox": [)" +
           mails + R"(]},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ", "login_notices": "off"}
 ]})";
}

class StoreToolsTest : public MailPatrolFixture {};

TEST_F(StoreToolsTest, TheAssistantSortsAPatrolsMailIntoTwoFolders) {
    std::string mails;
    const char* subjects[] = {"仕事の予定", "趣味の会", "仕事の報告", "その他", "趣味の写真"};
    for (int n = 0; n < 5; ++n)
        mails += (n ? "," : "") + mailJson(n, subjects[n], "1999/12/0" + std::to_string(n + 1) + " 10:00:00");
    ASSERT_NO_FATAL_FAILURE(start(worldWith(mails)));
    ASSERT_EQ(cli("folder MVL00001 add 仕事").status, 0);
    ASSERT_EQ(cli("folder MVL00001 add 趣味").status, 0);
    ASSERT_EQ(cli("assist MVL00001 add received --subject 仕事 --folder 仕事").status, 0);
    auto added = cli("assist MVL00001 add received --subject 趣味 --folder 趣味");
    ASSERT_EQ(added.status, 0) << added.output;
    EXPECT_NE(added.output.find("趣味 へ移動 (もし題名に '趣味' が含まれている場合)"), std::string::npos)
        << added.output;

    patrol();
    EXPECT_EQ(listed("仕事").size(), 2u);
    EXPECT_EQ(listed("趣味").size(), 2u);
    EXPECT_EQ(lineOf("受信ﾒｰﾙ", "その他").empty(), false);
    // The newest mail is stored first: the message is found by its title.
    const int planned = std::stoi(lineOf("仕事", "仕事の予定"));
    EXPECT_NE(cli("show MVL00001 仕事 " + std::to_string(planned)).output.find("本文0です。"), std::string::npos);
    // A second patrol stores nothing twice, and the folders keep their mail.
    patrol();
    EXPECT_EQ(listed("仕事").size(), 2u);
    auto check = cli("check MVL00001");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("異常は見つかりませんでした"), std::string::npos) << check.output;
}

// Dates of the host's world, days before today at noon.
std::string daysAgo(int days) {
    const std::time_t t = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    std::tm local{};
    ::localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d 12:00:00", &local);
    return text;
}

TEST_F(StoreToolsTest, AMonthOfMailIsExpiredByARule) {
    // Ten mails 1 ... 10 days old and ten 20 ... 29 days old; a 14-day rule takes the latter,
    // whatever the time of day.
    std::string mails;
    for (int n = 0; n < 20; ++n) {
        const int age = n < 10 ? n + 1 : n + 10;
        mails += (n ? "," : "") + mailJson(n, "mail " + std::to_string(age), daysAgo(age));
    }
    ASSERT_NO_FATAL_FAILURE(start(worldWith(mails)));
    patrol();
    ASSERT_EQ(listed("受信ﾒｰﾙ").size(), 21u);  // the welcome message and 20 mails
    ASSERT_EQ(cli("expire MVL00001 on").status, 0);
    ASSERT_EQ(cli("expire MVL00001 rule 受信ﾒｰﾙ 257").status, 0);  // "14日後削除": to the trash
    auto dryRun = cli("expire MVL00001 --dry-run");
    EXPECT_NE(dryRun.output.find("10 messages would expire"), std::string::npos) << dryRun.output;
    EXPECT_EQ(listed("受信ﾒｰﾙ").size(), 21u);
    auto run = cli("expire MVL00001");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(listed("受信ﾒｰﾙ").size(), 11u);
    EXPECT_EQ(listed("ごみ箱").size(), 10u);
    for (int age : {20, 29}) EXPECT_FALSE(lineOf("ごみ箱", "mail " + std::to_string(age)).empty());
    EXPECT_EQ(cli("check MVL00001").status, 0);
}

TEST_F(StoreToolsTest, ATerminalLogImportsAsThePatrolsMessages) {
    test::testApp();
    std::string mails;
    for (int n = 0; n < 3; ++n)
        mails += (n ? "," : "") + mailJson(n, "記録" + std::to_string(n), "1999/12/0" + std::to_string(n + 1) + " 10:00:00");
    ASSERT_NO_FATAL_FAILURE(start(worldWith(mails)));

    QProcess terminal;
    terminal.setProgram(QString::fromStdString(test::buildProgram("src/app/morvaline-cli")));
    const std::string log = (dir / "session.log").string();
    terminal.setArguments({"terminal", QString::fromStdString("127.0.0.1:" + std::to_string(host->port())),
                           "--log", QString::fromStdString(log)});
    terminal.start();
    std::string out;
    const auto expect = [&](const std::string& text) {
        const bool seen = test::spinUntil(
            [&] {
                out += terminal.readAllStandardOutput().toStdString();
                return out.find(text) != std::string::npos;
            },
            20'000);
        if (seen) out.erase(0, out.find(text) + text.size());
        return seen;
    };
    const auto type = [&](const std::string& line) { terminal.write((line + "\n").c_str()); };
    ASSERT_TRUE(expect("}")) << out;
    type("LUDRIX");
    ASSERT_TRUE(expect("USER_ID:")) << out;
    type("MVL00001");
    ASSERT_TRUE(expect("PASSWORD: ")) << out;
    type("morvaline");
    ASSERT_TRUE(expect("(H,Q,J)=")) << out;
    type("JREAD");
    ASSERT_TRUE(expect(",DL)=")) << out;
    for (const char* n : {"1", "2", "3"}) {
        type(n);
        ASSERT_TRUE(expect(",DL)=")) << out;
    }
    type("Q");
    ASSERT_TRUE(test::spinUntil([&] { return terminal.state() == QProcess::NotRunning; }, 20'000)) << out;

    // The same mails through a patrol, and through the log into a folder.
    changeWorld(R"([m.update(state="unread") for m in w["users"][0]["mailbox"]])");
    patrol();
    ASSERT_EQ(cli("folder MVL00001 add 記録").status, 0);
    auto imported = cli("import MVL00001 記録 '" + log + "'");
    ASSERT_EQ(imported.status, 0) << imported.output;
    const auto fromLog = listed("記録");
    ASSERT_EQ(fromLog.size(), 3u);  // the three mails read at the terminal
    for (int n = 0; n < 3; ++n) {
        const std::string title = "記録" + std::to_string(n);
        const int patrolled = std::stoi(lineOf("受信ﾒｰﾙ", title));
        const int logged = std::stoi(lineOf("記録", title));
        auto a = cli("show MVL00001 受信ﾒｰﾙ " + std::to_string(patrolled));
        auto b = cli("show MVL00001 記録 " + std::to_string(logged));
        EXPECT_EQ(a.output, b.output) << title;
    }
    // A missing file fails the import.
    EXPECT_NE(cli("import MVL00001 記録 '" + (dir / "none.log").string() + "'").status, 0);
}

}  // namespace
}  // namespace morvaline
