// End to end: a Telnet access point with a dial-up entry. A stand-in nmcli on the PATH
// plays NetworkManager (tests/support/fake-nmcli); ludrix-host is the host behind it.

#include <gtest/gtest.h>

#include <filesystem>

#include "mail_patrol_fixture.h"

namespace morvaline {
namespace {

std::string world() {
    return R"({"users": [
  {"id": "MVL00001", "password": "morvaline", "handle": "デモ", "login_notices": "off",
   "last_logout": "2000/01/04 22:00:00", "mailbox": []}]})";
}

std::string fileText(const std::filesystem::path& path) {
    std::string text;
    return readWholeFile(path, text) ? text : std::string();
}

class DialUpPatrolTest : public MailPatrolFixture {
protected:
    std::filesystem::path state = dir / "nm";
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(start(world()));
        std::filesystem::create_directories(dir / "bin");
        std::filesystem::create_directories(state);
        const char* source = std::getenv("MORVALINE_SOURCE_DIR");
        std::filesystem::create_symlink(
            std::filesystem::absolute(std::string(source ? source : ".") + "/tests/support/fake-nmcli"),
            dir / "bin" / "nmcli");
        ASSERT_TRUE(writeFileAtomically(state / "known", "ludrixnet\n"));
        ASSERT_EQ(cli("ap set 1 DialupName ludrixnet").status, 0);
        environment = "PATH='" + (dir / "bin").string() + ":'\"$PATH\" FAKE_NMCLI_DIR='" +
                      state.string() + "' ";
    }
};

TEST_F(DialUpPatrolTest, EachWayADialUpGoesEndsThePatrolAsItShould) {
    struct Case {
        const char* name;
        const char* active;    // connections up before the patrol
        const char* password;  // stored
        const char* typed;     // the user's answer to the prompt; null: none (end of input)
        const char* upFails;
        const char* entry;
        int status;
        std::vector<const char*> said;
        std::vector<const char*> called;
        std::vector<const char*> notCalled;
    };
    const Case cases[] = {
        {"already connected", "ludrixnet\n", "", nullptr, nullptr, "ludrixnet", 0,
         {"ludrixnet へのﾀﾞｲﾔﾙｱｯﾌﾟ接続は既に接続されています", "正常にﾛｸﾞｱｳﾄしました"},
         {},
         {"connection up", "connection down"}},
        {"dialled with the stored password", "", "stored\n", nullptr, nullptr, "ludrixnet", 0,
         {"ludrixnet にﾀﾞｲﾔﾙｱｯﾌﾟ接続しています", "ﾀﾞｲﾔﾙｱｯﾌﾟ接続に成功しました",
          "正常にﾛｸﾞｱｳﾄしました", "ﾀﾞｲﾔﾙｱｯﾌﾟ接続を切断しました"},
         {"connection up id ludrixnet", "connection down id ludrixnet"},
         {"passwd-file"}},
        {"dialled with a typed password", "", "", "typed-secret\n", nullptr, "ludrixnet", 0,
         {"ﾀﾞｲﾔﾙｱｯﾌﾟ接続に成功しました", "ﾀﾞｲﾔﾙｱｯﾌﾟ接続を切断しました"},
         {"connection up id ludrixnet passwd-file"},
         {"typed-secret"}},
        {"password prompt cancelled", "", "", nullptr, nullptr, "ludrixnet", 101,
         {"接続は中止されました"},
         {},
         {"connection up"}},
        {"dial failed", "", "stored\n", nullptr, "Error: Connection activation failed: no modem\n",
         "ludrixnet", 104,
         {"ﾀﾞｲﾔﾙ ｱｯﾌﾟのｴﾗｰ: Error: Connection activation failed: no modem"},
         {"connection up id ludrixnet"},
         {"connection down"}},
        {"unknown entry", "", "stored\n", nullptr, nullptr, "nosuch", 104,
         {"ﾀﾞｲﾔﾙ ｱｯﾌﾟのｴﾗｰ: Error: nosuch - no such connection profile."},
         {},
         {"connection up"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(state / "calls");
        std::filesystem::remove(state / "secrets");
        std::filesystem::remove(state / "up-fails");
        ASSERT_TRUE(writeFileAtomically(state / "active", c.active));
        ASSERT_TRUE(writeFileAtomically(state / "password", c.password));
        if (c.upFails) {
            ASSERT_TRUE(writeFileAtomically(state / "up-fails", c.upFails));
        }
        ASSERT_EQ(cli(std::string("ap set 1 DialupName ") + c.entry).status, 0);
        input = "/dev/null";
        if (c.typed) {
            ASSERT_TRUE(writeFileAtomically(dir / "typed", c.typed));
            input = (dir / "typed").string();
        }
        const auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, c.status) << run.output;
        for (const char* said : c.said) EXPECT_NE(run.output.find(said), std::string::npos) << said << "\n" << run.output;
        const std::string calls = fileText(state / "calls");
        for (const char* call : c.called) EXPECT_NE(calls.find(call), std::string::npos) << call << "\n" << calls;
        for (const char* call : c.notCalled) EXPECT_EQ(calls.find(call), std::string::npos) << call << "\n" << calls;
        if (c.typed) {
            EXPECT_EQ(fileText(state / "secrets"), "gsm.password:typed-secret\n");
        }
        EXPECT_EQ(run.output.find("typed-secret"), std::string::npos);
    }
}

TEST_F(DialUpPatrolTest, WithoutNmcliThePatrolGoesOnWithoutDiallingAndSaysSoOnce) {
    environment = "PATH=/nonexistent ";
    const auto run = patrol();
    EXPECT_EQ(count(run.output, "nmcli が見つからないので、ﾀﾞｲﾔﾙｱｯﾌﾟ接続はせずに接続します"), 1) << run.output;
    EXPECT_NE(run.output.find("正常にﾛｸﾞｱｳﾄしました"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace morvaline
