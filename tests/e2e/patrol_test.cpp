// End to end: morvaline-cli runs patrols against ludrix-host on an ephemeral port, as a
// user or cron would run them.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "support/ludrix_host.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

std::string sampleWorld() {
    const char* source = std::getenv("MORVALINE_SOURCE_DIR");
    return std::string(source ? source : ".") + "/host/worlds/sample.json";
}

class PatrolTest : public ::testing::Test {
protected:
    test::TempDir dir;

    std::string environment() const {
        return "MORVALINE_CONFIG_DIR='" + (dir / "config").string() + "' XDG_DATA_HOME='" +
               (dir / "data").string() + "' MORVALINE_PASSWORD=morvaline ";
    }
    test::ProgramResult cli(const std::string& args) {
        return test::runCommand(environment() + "'" + test::buildProgram("src/app/morvaline-cli") + "' " + args +
                                " </dev/null");
    }
    void SetUp() override {
        ASSERT_EQ(cli("new-user MVL00001").status, 0);
        // These runs are about connecting, logging in and out: the mail is only listed.
        ASSERT_EQ(cli("reserve MVL00001 2 " + std::string("ﾒｰﾙの一覧取得")).status, 0);
    }
    void addAccessPoint(const std::string& name, int port) {
        auto added = cli("ap add " + name + " --host 127.0.0.1:" + std::to_string(port) + " --route 1");
        ASSERT_EQ(added.status, 0) << added.output;
    }
    // A user setting, written while no program has the user open.
    void setUserValue(const std::string& key, int value) {
        Registry registry(dir / "config" / "Morvaline.conf");
        registry.writeInt("MVL00001", key, value);
        ASSERT_TRUE(registry.sync());
    }
    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
};

TEST_F(PatrolTest, APatrolLogsInAndOutAndTheNextOneFindsTheLogoutTimeRecorded) {
    test::LudrixHost host(sampleWorld());
    ASSERT_GT(host.port(), 0);
    addAccessPoint("local", host.port());
    auto first = cli("patrol MVL00001 --transcript '" + (dir / "first.txt").string() + "'");
    ASSERT_EQ(first.status, 0) << first.output;
    // The transcript shows the password masked.
    std::string transcript;
    ASSERT_TRUE(readWholeFile(dir / "first.txt", transcript));
    EXPECT_EQ(count(transcript, "C: ****\\r\n"), 1) << transcript;
    EXPECT_EQ(transcript.find("C: morvaline"), std::string::npos);
    EXPECT_NE(first.output.find("ﾛｸﾞｲﾝに成功しました"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("新しいﾒｰﾙが届いています"), std::string::npos);
    EXPECT_NE(first.output.find("前回自動巡回で終了していないので、ﾛｸﾞｱｳﾄ時刻の照合はできません。"), std::string::npos);
    EXPECT_NE(first.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos);
    EXPECT_NE(first.output.find("自動巡回が終了しました"), std::string::npos);

    auto second = cli("patrol MVL00001");
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find("実際の前回ﾛｸﾞｱｳﾄとMorvalineによる前回ﾛｸﾞｱｳﾄと時刻が一致しています。"),
              std::string::npos)
        << second.output;
    auto events = cli("events MVL00001");
    EXPECT_EQ(count(events.output, "自動巡回が終了しました"), 2) << events.output;
    // The host's text was captured into the user's log folder.
    std::string log;
    ASSERT_TRUE(readWholeFile(dir / "data/morvaline/MVL00001/LOG/LUDRIX.LOG", log));
    EXPECT_EQ(count(log, "LOG OUT   DATE"), 2);
}

TEST_F(PatrolTest, RefusedLoginsEndTheRunWithTheirCodes) {
    struct Case {
        const char* refusal;
        int status;
        const char* report;
    } cases[] = {
        {"password", 113, "ﾊﾟｽﾜｰﾄﾞが間違っています"},
        {"double", 114, "二重ﾛｸﾞｲﾝです"},
        {"congestion", 115, "ﾛｸﾞｲﾝできませんでした"},
    };
    bool first = true;
    for (const Case& c : cases) {
        test::LudrixHost host(sampleWorld(), {"--refuse-login", c.refusal});
        ASSERT_GT(host.port(), 0);
        if (first) addAccessPoint("local", host.port());
        else ASSERT_EQ(cli("ap set 1 TelnetPort " + std::to_string(host.port())).status, 0);
        first = false;
        auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.report), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("自動巡回が中断されました"), std::string::npos);
        EXPECT_EQ(run.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos);  // no "Q" was sent
    }
}

TEST_F(PatrolTest, SilenceEndsTheRunAndALostLineSkipsTheLogout) {
    setUserValue("Timeout", 1500);
    {
        // The host falls silent after the password prompt.
        test::LudrixHost host(sampleWorld(), {"--silent-after", "200"});
        addAccessPoint("silent", host.port());
        auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, 102) << run.output;
        EXPECT_NE(run.output.find("しばらくの間、文字を受信しませんでした。回線を切断します。"), std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find("自動巡回が中断されました"), std::string::npos);
    }
    {
        test::LudrixHost host(sampleWorld(), {"--close-after", "200"});
        ASSERT_EQ(cli("ap set 1 TelnetPort " + std::to_string(host.port())).status, 0);
        const auto started = std::chrono::steady_clock::now();
        auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, 104) << run.output;
        EXPECT_NE(run.output.find("回線が切断されました"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));  // no wait for a logout
    }
}

TEST_F(PatrolTest, AttemptsGoToTheEnabledAccessPointsAndRedialStopsAtItsCount) {
    test::LudrixHost host(sampleWorld());
    // Nothing listens on the port of a host that has just been stopped.
    int deadPort = 0;
    {
        test::LudrixHost gone(sampleWorld());
        deadPort = gone.port();
    }
    addAccessPoint("first", deadPort);
    addAccessPoint("second", host.port());
    addAccessPoint("third", host.port());
    ASSERT_EQ(cli("ap enable 2 off").status, 0);
    auto run = cli("patrol MVL00001");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("first に接続します。"), std::string::npos);
    EXPECT_EQ(run.output.find("second に接続します。"), std::string::npos);
    EXPECT_NE(run.output.find("third に接続します。"), std::string::npos);

    // One access point that never answers, redial twice at one-second intervals: three
    // attempts, then the run ends with the last attempt's result.
    ASSERT_EQ(cli("ap remove 3").status, 0);
    ASSERT_EQ(cli("ap remove 2").status, 0);
    ASSERT_EQ(cli("ap redial on --interval 1 --max 2").status, 0);
    auto redial = cli("patrol MVL00001");
    EXPECT_EQ(redial.status, 104) << redial.output;
    EXPECT_EQ(count(redial.output, "first に接続します。"), 3) << redial.output;
    EXPECT_EQ(count(redial.output, "ﾘﾀﾞｲﾔﾙの待機中"), 2);
}

TEST_F(PatrolTest, CtrlCDuringTheRedialPauseEndsTheRun) {
    int deadPort = 0;
    {
        test::LudrixHost gone(sampleWorld());
        deadPort = gone.port();
    }
    addAccessPoint("nowhere", deadPort);
    ASSERT_EQ(cli("ap redial on --interval 60 --max 5").status, 0);
    const auto started = std::chrono::steady_clock::now();
    // The patrol runs in the background; Ctrl+C reaches it once it waits to redial.
    auto run = test::runCommand("(" + environment() + "'" + test::buildProgram("src/app/morvaline-cli") +
                                "' patrol MVL00001 </dev/null & pid=$!; sleep 2; kill -INT $pid; wait $pid)");
    EXPECT_EQ(run.status, 101) << run.output;
    EXPECT_EQ(count(run.output, "nowhere に接続します。"), 1) << run.output;
    EXPECT_NE(run.output.find("接続は中止されました"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST_F(PatrolTest, LoginOnlyLeavesTheLineToTheUser) {
    test::LudrixHost host(sampleWorld());
    addAccessPoint("local", host.port());
    // The user answers the notices question and logs out by hand.
    auto run = test::runCommand("(sleep 3; echo N; sleep 1; echo Q; sleep 2) | " + environment() + "'" +
                                test::buildProgram("src/app/morvaline-cli") + "' login-only MVL00001");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("logged in: the line is yours"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)"), std::string::npos);
    EXPECT_NE(run.output.find("LOG OUT   DATE"), std::string::npos);
    EXPECT_EQ(run.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos);  // the run itself did not
    // The login time stood as the last logout: the host's own logout time differs from it.
    auto next = cli("patrol MVL00001");
    EXPECT_EQ(next.status, 0) << next.output;
    EXPECT_NE(next.output.find("ﾛｸﾞｱｳﾄ時刻が一致していません。"), std::string::npos) << next.output;
}

TEST_F(PatrolTest, AOneShotReservationIsUsedUpByTheWalk) {
    {
        // Give the new notices a one-shot entry and reserve it (as the menu editor would).
        Registry registry(dir / "config" / "Morvaline.conf");
        OpenRequest request{dir / "data" / "morvaline", "MVL00001", "morvaline"};
        auto opened = CTolDoc::open(request, registry);
        ASSERT_TRUE(opened.doc) << sjisToUtf8(opened.error);
        CTolDoc& doc = *opened.doc;
        const int once = doc.menu(kind::kNewNotices).add(sj("今回だけ読む"), 0, 0, 0x210);
        const int notices = doc.tree().findId("NEW");
        doc.tree().setReserve(notices, once);
        ASSERT_TRUE(doc.save());
        doc.close();
    }
    test::LudrixHost host(sampleWorld());
    addAccessPoint("local", host.port());
    auto before = cli("reserve MVL00001 NEW");
    EXPECT_NE(before.output.find("* 2  今回だけ読む (A)"), std::string::npos) << before.output;
    ASSERT_EQ(cli("patrol MVL00001").status, 0);
    auto after = cli("reserve MVL00001 NEW");
    EXPECT_NE(after.output.find("* none"), std::string::npos) << after.output;
}

}  // namespace
}  // namespace morvaline
