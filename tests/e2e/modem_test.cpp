// End to end: morvaline-cli patrols through a modem on a serial port. ludrix-host plays
// the modem on a pseudo-terminal; the access point names its device as port 1.

#include <gtest/gtest.h>

#include "mail_patrol_fixture.h"

namespace morvaline {
namespace {

// MVL00001 with one file mail.
std::string world(int fileSize) {
    return R"({"users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00", "mailbox": [
    {"from": "MVL00002", "from_name": "ハナコ", "date": "2000/01/04 09:00:00", "subject": "写真",
     "file": {"name": "PHOTO.DAT", "size": )" +
           std::to_string(fileSize) + R"(, "seed": 5, "time": "2000/01/04 08:00:00"}}]},
  {"id": "MVL00002", "password": "hanako", "handle": "ハナコ", "login_notices": "off"}
 ]})";
}

class ModemPatrolTest : public MailPatrolFixture {
protected:
    std::string device() const { return (dir / "modem").string(); }
    // The host as a modem with these options; access point 1 dials it on port 1.
    void startModem(std::vector<std::string> options, int fileSize = 3000) {
        options.insert(options.begin(), {"--modem", device()});
        ASSERT_NO_FATAL_FAILURE(start(world(fileSize), options));
        ASSERT_EQ(host->modemPath(), device());
        for (const char* set : {"ap set 1 Line 1", "ap set 1 Port 1", "ap set 1 PhoneNumber 1234-5678"})
            ASSERT_EQ(cli(set).status, 0) << set;
        const auto linked = cli("ap device 1 '" + device() + "'");
        ASSERT_EQ(linked.status, 0) << linked.output;
    }
    // The downloaded file, or with part the part that a cut download left.
    std::string downloaded(bool part = false) {
        std::string bytes;
        (void)readWholeFile(dir / "data" / "morvaline" / "MVL00001" / "DOWN" /
                                (part ? "PHOTO.DAT.part" : "PHOTO.DAT"),
                            bytes);
        return bytes;
    }
};

TEST_F(ModemPatrolTest, APatrolDialsLogsInFetchesAFileMailByRapidoxAndHangsUp) {
    ASSERT_NO_FATAL_FAILURE(startModem({}));
    const auto run = cli("patrol MVL00001 --transcript '" + (dir / "session.txt").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* said : {"回線が接続しました", "ﾛｸﾞｲﾝに成功しました", "正常にﾛｸﾞｱｳﾄしました",
                             "回線が切断されました", "自動巡回が終了しました"})
        EXPECT_NE(run.output.find(said), std::string::npos) << said << "\n" << run.output;
    EXPECT_EQ(downloaded().size(), 3000u);
    std::string transcript;
    ASSERT_TRUE(readWholeFile(dir / "session.txt", transcript));
    for (const char* sent : {"ATZ\\r", "ATE1Q0V1&C1&D2&S1S0=0\\r", "ATDT1234-5678\\r"})
        EXPECT_NE(transcript.find(sent), std::string::npos) << sent << "\n" << transcript;
}

// Each ends the attempt with its message and result code; no redial is set, so the run
// ends there.
TEST_F(ModemPatrolTest, AModemThatDoesNotConnectEndsTheAttemptWithItsReason) {
    struct Case {
        const char* name;
        std::vector<std::string> hostOptions;
        const char* device;  // instead of the modem's
        const char* message;
        int status;
    };
    const Case cases[] = {
        {"busy", {"--dial-answer", "BUSY"}, nullptr, "話中でした", 110},
        {"no dial tone", {"--dial-answer", "NO DIALTONE"}, nullptr, "接続できませんでした", 111},
        {"init string refused", {"--modem-error", "ATE1Q0V1&C1&D2&S1S0=0"}, nullptr,
         "ﾓﾃﾞﾑでｴﾗｰが発生しました。初期化ｺﾏﾝﾄﾞに誤りがある可能性があります。", 112},
        {"error to the dial", {"--dial-answer", "ERROR"}, nullptr,
         "ﾓﾃﾞﾑでｴﾗｰが発生しました。初期化ｺﾏﾝﾄﾞに誤りがある可能性があります。", 112},
        {"no such device", {}, "no-such-tty", "通信ﾎﾟｰﾄがｵｰﾌﾟﾝできません", 112},
        {"not a terminal", {}, "world.json", "通信ﾎﾟｰﾄがｵｰﾌﾟﾝできません", 112},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (first) {
            ASSERT_NO_FATAL_FAILURE(startModem(c.hostOptions));
            first = false;
        } else {
            hostOptions = {"--modem", device()};
            hostOptions.insert(hostOptions.end(), c.hostOptions.begin(), c.hostOptions.end());
            host.reset();
            ASSERT_NO_FATAL_FAILURE(startHost());
        }
        const std::string path = c.device ? (dir / c.device).string() : device();
        ASSERT_EQ(cli("ap device 1 '" + path + "'").status, 0);
        const auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        if (c.device) {
            EXPECT_NE(run.output.find(path), std::string::npos) << run.output;
        }
        EXPECT_EQ(run.output.find("ﾛｸﾞｲﾝに成功しました"), std::string::npos) << run.output;
    }
}

TEST_F(ModemPatrolTest, ACarrierLostInTheMiddleOfADownloadIsResumedByTheNextPatrol) {
    ASSERT_NO_FATAL_FAILURE(startModem(
        {"--drop-carrier", "--transfer-fault", "cut:20", "--fault-sessions", "1"}, 5000));
    const auto lost = cli("patrol MVL00001");
    EXPECT_EQ(lost.status, 104) << lost.output;
    EXPECT_NE(lost.output.find("回線が切断されました"), std::string::npos) << lost.output;
    EXPECT_TRUE(downloaded().empty());
    const std::size_t partial = downloaded(true).size();
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, 5000u);

    const auto resumed = patrol();
    EXPECT_NE(resumed.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos) << resumed.output;
    EXPECT_EQ(downloaded().size(), 5000u);
    EXPECT_TRUE(downloaded(true).empty());
}

// A telephony access point: the line device with permanent line identifier 2 dials on port
// 2 and hands the line over; a busy number ends the attempt as a call that failed.
TEST_F(ModemPatrolTest, TheLineDeviceDialsThroughTheModemOfItsPort) {
    ASSERT_NO_FATAL_FAILURE(startModem({}));
    for (const std::string& set : std::vector<std::string>{"ap set 1 Line 0", "ap set 1 TAPIPermanentLineID 2",
                                  "ap device 1 '" + (dir / "no-such-tty").string() + "'",
                                  "ap device 2 '" + device() + "'"})
        ASSERT_EQ(cli(set).status, 0) << set;
    const auto run = cli("patrol MVL00001 --transcript '" + (dir / "session.txt").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos) << run.output;
    EXPECT_EQ(downloaded().size(), 3000u);
    std::string transcript;
    ASSERT_TRUE(readWholeFile(dir / "session.txt", transcript));
    EXPECT_NE(transcript.find("HOST NAME }"), std::string::npos) << transcript;

    hostOptions = {"--modem", device(), "--dial-answer", "BUSY"};
    host.reset();
    ASSERT_NO_FATAL_FAILURE(startHost());
    const auto busy = cli("patrol MVL00001");
    EXPECT_EQ(busy.status, 104) << busy.output;
    EXPECT_NE(busy.output.find("接続できませんでした"), std::string::npos) << busy.output;
    EXPECT_EQ(busy.output.find("ﾛｸﾞｲﾝに成功しました"), std::string::npos) << busy.output;
}

}  // namespace
}  // namespace morvaline
