// Dialogue tests of a whole patrol run on a line that the user had already connected:
// login by "JMAIN" and "CID", the screens after login, the mail pass in its order, logout.

#include "patrol/run/patrol_run.h"

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "patrol/run/mail_handlers.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "support/scripted_host.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

// Records the order in which the walk hands places to the mail service.
class RecordingMail final : public MailHandlers {
public:
    std::vector<std::string> calls;
    bool newMailInList = true;
    bool readMailList(int place, bool readUnread) override {
        calls.push_back("list " + std::to_string(place) + (readUnread ? " unread" : ""));
        return newMailInList;
    }
    bool hasReservedMail(int) override { return false; }
    bool deleteReservedMail() override {
        calls.push_back("delete");
        return false;
    }
    bool readReservedMail(int place, int flags) override {
        calls.push_back("read " + std::to_string(place) + " flags " + std::to_string(flags));
        return false;
    }
    bool sendReservedMail(int place) override {
        calls.push_back("send " + std::to_string(place));
        return false;
    }
    void mailPassOver() override { calls.push_back("over"); }
    void readSentList(int place) override { calls.push_back("sent list " + std::to_string(place)); }
    void deleteSentMail(int place) override { calls.push_back("delete sent " + std::to_string(place)); }
};

// A run of a new user's data set over the scripted host, on a line already connected.
struct ConnectedRun {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc;
    ScriptedHost host;
    CPatrolEngine engine;
    RecordingMail mail;

    explicit ConnectedRun(std::string_view transcript)
        : host(transcript), engine(host.links(), DialogueSettings{}) {
        OpenRequest request{dir.path(), "MVL00001", "secret"};
        doc = CTolDoc::open(request, registry).doc;
        host.block.setLineUp(true);
    }
    int run() {
        PatrolOptions options;
        options.userId = "MVL00001";
        options.password = "secret";
        PatrolRun patrol(engine, *doc, options, &mail);
        return patrol.run();
    }
    bool reported(const std::string& utf8) const {
        return std::find(host.reports().begin(), host.reports().end(), utf8) != host.reports().end();
    }
    bool reportedStartingWith(const std::string& utf8) const {
        return std::any_of(host.reports().begin(), host.reports().end(),
                           [&](const std::string& r) { return r.starts_with(utf8); });
    }
};

constexpr std::string_view kLoginOnConnectedLine = R"(
C: JMAIN\r
S: JMAIN\r\n\r\n　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n番号またはコマンド(H,Q,J)=
C: CID\r
S: CID\r\nUSER_ID:
C: MVL00001\r
S: MVL00001\r\nPASSWORD:\x20
C: secret\r
)";

TEST(PatrolRun, LogsInOnAConnectedLineWalksTheMailPassInOrderAndLogsOut) {
    ConnectedRun r(std::string(kLoginOnConnectedLine) + R"(
S: \r\n★☆★ようこそＬＵＤＲＩＸワールドへ★☆★\r\n
S: 　前回使用終了日時は  2026年12月06日　21時05分30秒\r\n\r\n
S: お知らせを表示しますか(Y,N)=
C: N\r
S: N\r\n\r\n　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n１．電子メール【到着】\r\n２．ＳＩＧ\r\n番号またはコマンド(H,Q,J)=
C: Q\r
S: Q\r\n\r\nLOG OUT   DATE 26/12/07      TIME 10:00:00\r\nご利用ありがとうございました\r\n
)");
    const int generation = r.doc->generation();
    EXPECT_EQ(r.run(), result::Ok);
    EXPECT_TRUE(r.host.faults().empty()) << r.host.faults().front();
    EXPECT_TRUE(r.host.finished());
    const std::vector<std::string> expected = {
        "list 2 unread", "delete", "read 2 flags 144", "send 3", "over", "delete sent 14",
    };
    EXPECT_EQ(r.mail.calls, expected);
    // On a line connected by hand the login time stands as the last logout: the host's
    // time does not match it.
    EXPECT_TRUE(r.reportedStartingWith(
        "ﾛｸﾞｱｳﾄ時刻が一致していません。実際の前回ﾛｸﾞｱｳﾄ: 2026/12/06 21:05:30, Morvalineによる前回ﾛｸﾞｱｳﾄ: "));
    EXPECT_TRUE(r.reported("新しいﾒｰﾙが届いています"));
    EXPECT_TRUE(r.reported("正常にﾛｸﾞｱｳﾄしました"));
    EXPECT_TRUE(r.reported("自動巡回が終了しました"));
    EXPECT_EQ(r.doc->generation(), generation + 1);
    EXPECT_EQ(r.doc->time(doctime::kLastLogout), *fileTimeFromFields({2026, 12, 7, 10, 0, 0, 0}));
    r.doc->close();
}

TEST(PatrolRun, AWrongPasswordEndsTheRunWithoutLoggingOut) {
    ConnectedRun r(std::string(kLoginOnConnectedLine) + R"(
S: \r\nＩＤまたはパスワードが間違っています。訂正してください\r\n
)");
    EXPECT_EQ(r.run(), result::WrongPassword);
    EXPECT_TRUE(r.host.faults().empty()) << r.host.faults().front();
    EXPECT_TRUE(r.reported("ﾊﾟｽﾜｰﾄﾞが間違っています"));
    EXPECT_TRUE(r.reported("自動巡回が中断されました"));
    EXPECT_TRUE(r.mail.calls.empty());
    r.doc->close();
}

TEST(PatrolRun, TheProfileQuestionIsDeclinedUnlessTheProfileIsToBeAdjusted) {
    ConnectedRun r(std::string(kLoginOnConnectedLine) + R"(
S: \r\n　前回使用終了日時は  2026年12月06日　21時05分30秒\r\n
S: ＊プロファイルを修正しますか(Y,N)=
C: N\r
S: N\r\n　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n番号またはコマンド(H,Q,J)=
C: Q\r
S: Q\r\nLOG OUT   DATE 26/12/07      TIME 10:00:00\r\nご利用ありがとうございました\r\n
)");
    r.mail.newMailInList = false;
    EXPECT_EQ(r.run(), result::Ok);
    EXPECT_TRUE(r.host.faults().empty()) << r.host.faults().front();
    EXPECT_TRUE(r.host.finished());
    // No mail was announced, but "未読ﾒｰﾙを読む" (0x90) fetches the list every time.
    EXPECT_EQ(r.mail.calls.front(), "list 2 unread");
    EXPECT_FALSE(r.reported("新しいﾒｰﾙが届いています"));
    r.doc->close();
}

}  // namespace
}  // namespace morvaline
