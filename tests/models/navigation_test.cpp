// Navigation over a real data set: next unread wrapping once, new never wrapping, the
// move questions, moving between places, marked messages, reserved places and the jump.

#include "browser_fixture.h"
#include "models/browser_texts.h"
#include "models/history.h"
#include "models/navigation.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

class RecordedReports : public NavigationReports {
public:
    std::vector<int> reports;
    int beeps = 0;
    void report(const Text& text) override { reports.push_back(text.id); }
    void beep() override { ++beeps; }
};

class NavigationTest : public test::BrowserFixture {
protected:
    int roomA = -1, roomB = -1;
    test::ScriptedQuestions questions;
    RecordedReports reports;

    void SetUp() override {
        BrowserFixture::SetUp();
        // Two rooms below "SIG", shown in number order: A (1) before B (2). The welcome
        // message in the received mail is read, so that only these rooms hold unread ones.
        roomA = addPlace(5, "A", kind::kRoom, 1, "ROOMA");
        roomB = addPlace(5, "B", kind::kRoom, 2, "ROOMB");
        OpenedList mail(*doc, 2);
        mail->markAllRead();
    }
    Navigator navigator() { return Navigator(*doc, {}, {}, questions, reports); }
    int messageSerial(int place, int index) {
        OpenedList list(*doc, place);
        return list->item(index).m_nSerial;
    }
    Selection at(int place, int index) { return Selection{serialOf(place), messageSerial(place, index)}; }
};

TEST_F(NavigationTest, NextUnreadWrapsOnceToFindTheOnlyUnreadMessageAbove) {
    {
        OpenedList a(*doc, roomA);
        addMessage(*a, 0, 1, "unread", kind::kForumMessage, true);
        addMessage(*a, 0, 2, "read");
    }
    const Selection from = at(roomA, 2);
    const auto found = navigator().unread(from);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, at(roomA, 1));
    EXPECT_EQ(reports.reports, std::vector<int>{texts::kNoUnreadBelow.id});
    EXPECT_EQ(questions.asked, std::vector<int>{texts::kNoUnreadHereQuestion.id});
    EXPECT_EQ(reports.beeps, 0);
}

TEST_F(NavigationTest, NextUnreadMovesToTheNextPlaceAndNoLeavesTheSelection) {
    {
        OpenedList a(*doc, roomA);
        addMessage(*a, 0, 1, "read");
        OpenedList b(*doc, roomB);
        addMessage(*b, 0, 1, "unread", kind::kForumMessage, true);
    }
    EXPECT_EQ(navigator().unread(at(roomA, 1)), at(roomB, 1));
    questions.answer = false;
    EXPECT_FALSE(navigator().unread(at(roomA, 1)));
    EXPECT_TRUE(reports.reports.empty());

    {
        OpenedList b(*doc, roomB);
        b->markAllRead();
    }
    questions.answer = true;
    EXPECT_FALSE(navigator().unread(at(roomA, 1)));
    EXPECT_EQ(reports.reports, std::vector<int>{texts::kNoUnreadBelow.id});
    EXPECT_EQ(reports.beeps, 1);
}

TEST_F(NavigationTest, NextNewNeverWraps) {
    doc->startGeneration();  // generation 2: what is fetched now is new
    {
        OpenedList a(*doc, roomA);
        const int n = addMessage(*a, 0, 1, "new");
        a->setGeneration(n, doc->generation());
        addMessage(*a, 0, 2, "old");
    }
    Navigator nav = navigator();
    EXPECT_FALSE(nav.newMessage(at(roomA, 2), Direction::Down));
    EXPECT_EQ(reports.reports.back(), texts::kNoNewBelow.id);
    EXPECT_EQ(reports.beeps, 1);
    EXPECT_EQ(nav.newMessage(at(roomA, 2), Direction::Up), at(roomA, 1));
}

TEST_F(NavigationTest, NextAndPreviousMessageCrossPlacesAndStopAtTheEnds) {
    {
        OpenedList a(*doc, roomA);
        addMessage(*a, 0, 1, "a1");
        OpenedList b(*doc, roomB);
        addMessage(*b, 0, 1, "b1");
    }
    Navigator nav = navigator();
    EXPECT_EQ(nav.message(at(roomA, 1), Direction::Down), at(roomB, 1));
    EXPECT_EQ(nav.message(at(roomB, 1), Direction::Up), at(roomA, 1));
    // Above A, the received mail holds the welcome message.
    const auto up = nav.message(at(roomA, 1), Direction::Up);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->place, serialOf(2));
}

TEST_F(NavigationTest, MarkedMessagesAndReservedPlaces) {
    {
        OpenedList a(*doc, roomA);
        addMessage(*a, 0, 1, "a1");
        OpenedList b(*doc, roomB);
        const int m = addMessage(*b, 0, 1, "b1");
        b->toggleMark(m);
    }
    Navigator nav = navigator();
    EXPECT_EQ(nav.marked(at(roomA, 1), Direction::Down), at(roomB, 1));
    EXPECT_EQ(questions.asked, std::vector<int>{texts::kNoMarkedHereQuestion.id});
    EXPECT_FALSE(nav.marked(at(roomB, 1), Direction::Down));
    EXPECT_EQ(reports.reports.back(), texts::kNoMessageBelow.id);

    tree().setReserve(roomB, 257);
    const auto reserved = navigator().reservedPlace(Selection{serialOf(roomA), -1}, Direction::Down);
    ASSERT_TRUE(reserved);
    EXPECT_EQ(reserved->place, serialOf(roomB));
}

TEST_F(NavigationTest, JumpFindsANumberOrReservesReadingIt) {
    {
        OpenedList a(*doc, roomA);
        addMessage(*a, 0, 7, "seven");
    }
    Selection s;
    EXPECT_EQ(jumpToNumber(*doc, serialOf(roomA), 7, questions, false, s), JumpResult::Found);
    EXPECT_EQ(s, at(roomA, 1));

    questions.answer = false;
    EXPECT_EQ(jumpToNumber(*doc, serialOf(roomA), 8, questions, false, s), JumpResult::Declined);
    questions.answer = true;
    EXPECT_EQ(jumpToNumber(*doc, serialOf(roomA), 8, questions, false, s), JumpResult::Reserved);
    EXPECT_EQ(questions.asked, (std::vector<int>{texts::kReserveReadQuestion.id, texts::kReserveReadQuestion.id}));
    {
        OpenedList a(*doc, roomA);
        const CItem reservation = a->item(a->findSerial(s.message));
        EXPECT_EQ(reservation.m_nNumber, 8);
        EXPECT_EQ(reservation.m_nReserve, 2);
        EXPECT_EQ(reservation.m_nKind, kind::kForumMessage);
    }
    EXPECT_EQ(jumpToNumber(*doc, serialOf(5), 8, questions, true, s), JumpResult::NotFound);
}

TEST(NavigationHistoryTest, BackAndForwardWalkTheVisits) {
    NavigationHistory history;
    history.visit({1, 10});
    history.visit({1, 11});
    history.visit({1, 11});
    history.visit({2, 20});
    EXPECT_EQ(history.back(), (Selection{1, 11}));
    EXPECT_EQ(history.back(), (Selection{1, 10}));
    EXPECT_FALSE(history.back());
    EXPECT_EQ(history.forward(), (Selection{1, 11}));
    history.visit({3, 30});
    EXPECT_FALSE(history.forward());
    EXPECT_EQ(history.back(), (Selection{1, 11}));
}

}  // namespace
}  // namespace morvaline
