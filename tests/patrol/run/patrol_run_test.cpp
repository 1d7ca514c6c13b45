// Dialogue tests of a whole patrol run on a line that the user had already connected:
// login by "JMAIN" and "CID", the screens after login, the mail pass in its order, the walk
// over the run's services, logout.

#include "patrol/run/patrol_run.h"

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "patrol/services/mail/mail_handlers.h"
#include "patrol/services/mail/mail_pass.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "support/scripted_host.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

// The order in which the walk hands places to the mail service.
struct MailRecord {
    std::vector<std::string> calls;
    bool newMailInList = true;
};

class RecordingMail final : public MailHandlers {
public:
    explicit RecordingMail(MailRecord& record) : r_(record) {}
    bool readMailList(int place, bool readUnread) override {
        r_.calls.push_back("list " + std::to_string(place) + (readUnread ? " unread" : ""));
        return r_.newMailInList;
    }
    bool hasReservedMail(int) override { return false; }
    bool deleteReservedMail() override {
        r_.calls.push_back("delete");
        return false;
    }
    bool readReservedMail(int place, int flags) override {
        r_.calls.push_back("read " + std::to_string(place) + " flags " + std::to_string(flags));
        return false;
    }
    bool sendReservedMail(int place) override {
        r_.calls.push_back("send " + std::to_string(place));
        return false;
    }
    void mailPassOver() override { r_.calls.push_back("over"); }
    void readSentList(int place) override { r_.calls.push_back("sent list " + std::to_string(place)); }
    void deleteSentMail(int place) override { r_.calls.push_back("delete sent " + std::to_string(place)); }

private:
    MailRecord& r_;
};

// A run of a new user's data set over the scripted host, on a line already connected.
struct ConnectedRun {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc;
    ScriptedHost host;
    CPatrolEngine engine;
    MailRecord mail;

    explicit ConnectedRun(std::string_view transcript)
        : host(transcript), engine(host.links(), DialogueSettings{}) {
        OpenRequest request{dir.path(), "MVL00001", "secret"};
        doc = CTolDoc::open(request, registry).doc;
        host.block.setLineUp(true);
    }
    // The run's services: the mail pass over the recording mail, and another one if given.
    int run(std::unique_ptr<PlaceService> other = nullptr) {
        PatrolOptions options;
        options.userId = "MVL00001";
        options.password = "secret";
        PlaceServices services;
        services.add(std::make_unique<MailPass>(engine, *doc, std::make_unique<RecordingMail>(mail)));
        if (other) services.add(std::move(other));
        PatrolRun patrol(engine, *doc, options, std::move(services));
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

TEST(PatrolRun, ANoticeListThatStopsForTheReturnKeyAndTheGoodbyeInAnyOrder) {
    constexpr std::string_view kNotices = R"(
S: \r\n今回のお知らせ\r\n
S: \r\n 番号　日付　　　タイトル　　　　　　　　（番号選択で内容表示）\r\n
S:     1  26/12/07  お知らせ1\r\n
S: \r\nリターンキーを押して下さい=
C: \r
S: \r\n    2  26/12/07  お知らせ2\r\n
S: \r\nリターンキーを押して下さい=
C: \r
S: \r\n    3  26/12/07  お知らせ3\r\n
S: \r\nお知らせを表示しますか(Y,N)=
C: N\r
S: N\r\n\r\n　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n番号またはコマンド(H,Q,J)=
C: Q\r
)";
    struct Case {
        const char* name;
        const char* goodbye;
        bool farewell;
    } cases[] = {
        {"the farewell first",
         "S: Q\\r\\n\\r\\nご利用ありがとうございました\\r\\n\\r\\nLOG OUT   DATE 26/12/07      "
         "TIME 10:00:00\\r\\n\n",
         true},
        {"the line closed after the LOG OUT line",
         "S: Q\\r\\n\\r\\nLOG OUT   DATE 26/12/07      TIME 10:00:00\\r\\n\nX\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectedRun r(std::string(kLoginOnConnectedLine) + std::string(kNotices) + c.goodbye);
        r.mail.newMailInList = false;
        EXPECT_EQ(r.run(), result::Ok);
        EXPECT_TRUE(r.host.faults().empty()) << r.host.faults().front();
        EXPECT_TRUE(r.host.finished());
        EXPECT_EQ(r.doc->time(doctime::kLastLogout),
                  *fileTimeFromFields({2026, 12, 7, 10, 0, 0, 0}));
        EXPECT_EQ(r.reported("正常にﾛｸﾞｱｳﾄしました"), c.farewell);
        EXPECT_TRUE(r.reported("自動巡回が終了しました"));
        r.doc->close();
    }
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

// A service of a kind of place that does not exist, as a new service plugs into the walk.
constexpr int kMadeUpKind = 42;

class RecordingService final : public PlaceService {
public:
    explicit RecordingService(std::vector<std::string>& log) : log_(log) {}
    bool serves(int kind) const override { return kind == kMadeUpKind || kind == kind::kBilling; }
    void beforeWalk(PatrolWalk&) override { log_.push_back("before"); }
    void visit(int place, const DueCheck& due, PatrolWalk&) override {
        log_.push_back("visit " + std::to_string(place) + " flags " + std::to_string(due.flags));
    }
    void passOver(int place, const DueCheck&, PatrolWalk&) override {
        log_.push_back("pass " + std::to_string(place));
    }
    void afterWalk(PatrolWalk&) override { log_.push_back("after"); }

private:
    std::vector<std::string>& log_;
};

TEST(PatrolRun, TheWalkHandsEachPlaceToTheServiceOfItsKind) {
    ConnectedRun r(std::string(kLoginOnConnectedLine) + R"(
S: \r\n　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n番号またはコマンド(H,Q,J)=
C: Q\r
S: Q\r\nLOG OUT   DATE 26/12/07      TIME 10:00:00\r\nご利用ありがとうございました\r\n
)");
    r.mail.newMailInList = false;
    CItemArray& tree = r.doc->tree();
    const int unreserved = tree.findKind(kind::kBilling);  // the new user's "料金情報"
    const int due = r.doc->menu(kind::kBilling).add(sj("毎回"), 0, 0, 0x5);
    const int made = tree.add(0, 0, 0, "", "made up", kMadeUpKind, 0);
    tree.setReserve(made, due);  // a kind without a reservation menu is never due
    const int billing = tree.add(0, 0, 0, "", "billing", kind::kBilling, 0);
    tree.setReserve(billing, due);
    const int hidden = tree.add(0, 0, 0, "", "hidden", kind::kBilling, 0);
    tree.setReserve(hidden, due);
    tree.setFlags(hidden, ITEM_FLAG_HIDDEN, ITEM_FLAG_HIDDEN);
    const int skipped = tree.add(0, 0, 0, "", "skipped", kind::kBilling, 0);
    tree.setReserve(skipped, due);
    tree.setFlags(skipped, ITEM_FLAG_SKIP_ONCE, ITEM_FLAG_SKIP_ONCE);
    tree.setReserve(tree.add(0, 0, 0, "", "no service", kind::kClipping, 0), due);

    std::vector<std::string> log;
    EXPECT_EQ(r.run(std::make_unique<RecordingService>(log)), result::Ok);
    EXPECT_TRUE(r.host.faults().empty()) << r.host.faults().front();
    const std::vector<std::string> expected = {
        "before",
        "pass " + std::to_string(unreserved),
        "pass " + std::to_string(made),
        "visit " + std::to_string(billing) + " flags 5",
        "pass " + std::to_string(skipped),
        "after",
    };
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(tree.item(skipped).hasFlag(ITEM_FLAG_SKIP_ONCE));
    EXPECT_TRUE(tree.item(hidden).isReserved());
    r.doc->close();
}

}  // namespace
}  // namespace morvaline
