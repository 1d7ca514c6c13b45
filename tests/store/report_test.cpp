#include "store/report.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace morvaline {
namespace {

struct RecordingSink : ReportSink {
    std::vector<std::string> status, patrol, sounds;
    void showStatus(const std::string& t) override { status.push_back(t); }
    void addPatrolLine(const std::string& t) override { patrol.push_back(t); }
    void playSound(const std::string& f) override { sounds.push_back(f); }
};

struct ReporterTest : ::testing::Test {
    EventLog log;
    SoundSettings sounds;
    Reporter reporter{log, sounds};
    RecordingSink sink;
    ReporterTest() {
        sounds.enabled = true;
        for (int i = 0; i < kSoundSlots; ++i) sounds.files[i] = "slot" + std::to_string(i);
        reporter.setSink(&sink);
    }
};

TEST_F(ReporterTest, ClassifiesAndPlaysTheSoundOfItsSlot) {
    reporter.report(texts::kNewMail);
    reporter.report(texts::kNoConnect);
    reporter.report(texts::kListWriteFailed, "X.IA0");
    reporter.report(texts::kUserOpened, "U1");
    EXPECT_EQ(sink.sounds, (std::vector<std::string>{"slot3", "slot7", "slot15"}));
    ASSERT_EQ(log.entries().size(), 4u);
    EXPECT_EQ(log.entries()[0].icon, 14);
    EXPECT_EQ(log.entries()[1].icon, 15);  // a warning, with its own sound
    EXPECT_EQ(log.entries()[2].text, sj("X.IA0 ﾌｧｲﾙの書き込みに失敗しました"));
    EXPECT_EQ(log.entries()[3].icon, 14);
    sounds.enabled = false;
    reporter.report(texts::kNewMail);
    EXPECT_EQ(sink.sounds.size(), 3u);
}

TEST_F(ReporterTest, ProgressNavigationAndSkippingTakeTheirOwnWays) {
    reporter.report(texts::kBytesTransferred, "1024");
    EXPECT_EQ(sink.status.back(), sj("1024 ﾊﾞｲﾄが転送されました"));
    EXPECT_TRUE(log.entries().empty());  // progress never reaches the event log

    reporter.report("next unread", 1055);  // navigation: status and log, not the patrol window
    EXPECT_EQ(log.entries().size(), 1u);
    EXPECT_TRUE(std::find(sink.patrol.begin(), sink.patrol.end(), "next unread") == sink.patrol.end());

    reporter.report(texts::kSkipping);
    reporter.report(texts::kNewMail);
    EXPECT_EQ(sink.patrol.back(), sj("ｽｷｯﾌﾟしています"));
    reporter.connectionAttemptStarted();
    reporter.report(texts::kNewMail);
    EXPECT_EQ(sink.patrol.back(), sj("新しいﾒｰﾙが届いています"));
}

TEST(EventLog, KeepsTheNewestWithinItsBound) {
    EventLog log;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(log.add(std::to_string(i), 14, i), EventLogHint::Appended);
    EXPECT_EQ(log.add("100", 14, 100), EventLogHint::OldestRemovedAndAppended);
    EXPECT_EQ(log.entries().size(), 100u);
    EXPECT_EQ(log.entries().front().text, "1");
    EXPECT_EQ(log.setMax(10), EventLogHint::Rebuilt);
    EXPECT_EQ(log.entries().front().text, "91");
    EXPECT_EQ(log.setMax(50), EventLogHint::Redraw);
    EXPECT_EQ(log.clear(), EventLogHint::Cleared);
    EXPECT_TRUE(log.entries().empty());
}

TEST(Reports, OnlyWarningsOfStepsThatDidNotDoTheirWorkCountAsFailedSteps) {
    for (const Text* text : {&texts::kForumNotReached, &texts::kNotPosted,
                             &texts::kTransferProtocolError, &texts::kMailNotDownloaded,
                             &texts::kMailNotSent, &texts::kNothingReceived})
        EXPECT_TRUE(isFailedStepReport(text->id)) << text->utf8;
    for (const Text* text : {&texts::kTagLikeBodyLine, &texts::kListCutShort,
                             &texts::kCharactersNotCarried, &texts::kTransferAborting,
                             &texts::kForumNotFound, &texts::kLogoutTimeInconsistent,
                             &texts::kMovedToForum})
        EXPECT_FALSE(isFailedStepReport(text->id)) << text->utf8;
}

TEST(Texts, EveryTextConvertsAndFailuresAreWarnings) {
    for (const Text* text : {&texts::kNoConnect, &texts::kListReadFailed, &texts::kWrongPassword,
                             &texts::kDocumentDamaged, &texts::kUserInUse, &texts::kBadUserId})
        EXPECT_EQ(reportKind(text->id), EventKind::Warning) << text->id;
    for (int id = 0; id < 40000; ++id) {
        const Text* text = findText(id);
        if (!text) continue;
        EXPECT_EQ(sjisToUtf8(textSjis(*text)), text->utf8) << id;  // no character lost
    }
}

}  // namespace
}  // namespace morvaline
