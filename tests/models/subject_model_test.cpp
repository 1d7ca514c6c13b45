// The subject list model over real lists: a threaded room and a list of 100,000 messages,
// checked with QAbstractItemModelTester, following changes made on another thread.

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <thread>

#include "browser_fixture.h"
#include "models/browser_texts.h"
#include "models/item_state.h"
#include "models/model_roles.h"
#include "models/subject_list_model.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

class SubjectModelTest : public test::BrowserFixture {
protected:
    int room = -1;
    void SetUp() override {
        BrowserFixture::SetUp();
        room = addPlace(5, "room", kind::kRoom, 1, "ROOM");
    }
    static std::string text(const QModelIndex& i) { return i.data().toString().toStdString(); }
};

TEST_F(SubjectModelTest, ThreadedRoomShowsCommentsBelowTheirMessagesAfterExpansion) {
    OpenedList list(*doc, room);
    const int m1 = addMessage(*list, 0, 1, "m1");
    addMessage(*list, 0, 2, "m2", kind::kForumMessage, true);
    addMessage(*list, m1, 3, "c3");
    SubjectListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setList(&*list, kind::kRoom);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(text(root), "room");
    ASSERT_EQ(model.rowCount(root), 2);  // the root is expanded at once
    const QModelIndex first = model.index(0, 0, root);
    EXPECT_EQ(text(first), "m1");
    EXPECT_TRUE(model.hasChildren(first));
    EXPECT_EQ(model.rowCount(first), 0);
    model.fetchMore(first);
    EXPECT_EQ(text(model.index(0, 0, first)), "c3");
    EXPECT_TRUE(model.index(1, 0, root).data(StateRole).toInt() & itemstate::kUnread);

    SubjectOptions flat;
    flat.commentTree = false;
    flat.showNumber = true;
    model.setOptions(flat);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 3);
    EXPECT_EQ(text(model.index(2, 0, model.index(0, 0))), "#3 c3");
}

TEST_F(SubjectModelTest, FollowsAdditionsAndChangesMadeOnThePatrolThread) {
    OpenedList list(*doc, room);
    addMessage(*list, 0, 1, "m1");
    addMessage(*list, 0, 5, "m5");
    SubjectListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setList(&*list, kind::kRoom);
    const QModelIndex root = model.index(0, 0);

    int added = -1;
    std::thread patrol([&] { added = addMessage(*list, 0, 3, "m3", kind::kForumMessage, true); });
    patrol.join();
    EXPECT_EQ(model.rowCount(root), 2);  // the snapshot is the model's until it is told
    const int serial = list->item(added).m_nSerial;
    model.itemChanged(serial);
    ASSERT_EQ(model.rowCount(root), 3);
    EXPECT_EQ(text(model.index(1, 0, root)), "m3");  // in number order
    EXPECT_EQ(model.indexOfSerial(serial).row(), 1);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    list->markRead(added);
    model.itemChanged(serial);
    EXPECT_GE(changed.count(), 1);
    EXPECT_FALSE(model.indexOfSerial(serial).data(StateRole).toInt() & itemstate::kUnread);

    // A deletion shifts indices: the model starts again from a fresh snapshot.
    const int m1Serial = list->item(1).m_nSerial;
    ASSERT_TRUE(list->remove(1));
    model.itemChanged(m1Serial);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
    EXPECT_EQ(text(model.index(0, 0, model.index(0, 0))), "m3");
}

TEST_F(SubjectModelTest, RevealingAMessageHiddenByTheLimitAsks) {
    OpenedList list(*doc, room);
    for (int i = 1; i <= 30; ++i) addMessage(*list, 0, i, "m" + std::to_string(i));
    SubjectListModel model;
    SubjectOptions limited;
    limited.limitOn = true;
    limited.limitCount = 10;
    model.setOptions(limited);
    model.setList(&*list, kind::kRoom);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 10);
    test::ScriptedQuestions questions;
    questions.answer = false;
    const int oldSerial = list->item(2).m_nSerial;
    EXPECT_FALSE(model.reveal(oldSerial, &questions).isValid());
    EXPECT_EQ(questions.asked, std::vector<int>{texts::kLimitedMessageQuestion.id});
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 10);
    EXPECT_TRUE(model.options().limitOn);
    questions.answer = true;
    const QModelIndex shown = model.reveal(oldSerial, &questions);
    ASSERT_TRUE(shown.isValid());
    EXPECT_EQ(text(shown), "m2");
    EXPECT_FALSE(model.options().limitOn);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 30);
}

TEST_F(SubjectModelTest, HundredThousandMessagesInNumberOrder) {
    OpenedList list(*doc, room);
    constexpr int kCount = 100'000;
    // Numbers arrive out of order; every tenth is a mail without a number to sort by.
    for (int i = 0; i < kCount; ++i)
        addMessage(*list, 0, i % 10 == 0 ? 0 : kCount - i, "m", kind::kForumMessage, i % 3 == 0);
    SubjectListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setList(&*list, kind::kRoom);
    const QModelIndex root = model.index(0, 0);
    ASSERT_EQ(model.rowCount(root), kCount);
    int last = 0;
    for (int r = 0; r < kCount; ++r) {
        const int item = model.index(r, 0, root).data(IndexRole).toInt();
        const int number = model.snapshot().row(item).number;
        if (number == 0) {
            EXPECT_EQ(item % 10, 1) << "an unnumbered message left its registration slot";
            continue;
        }
        ASSERT_GT(number, last);
        last = number;
    }
    SubjectOptions limited;
    limited.limitOn = true;
    limited.limitCount = 1000;
    model.setOptions(limited);
    // The last 1000 and the unread third of the rest.
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 1000 + (kCount - 1000 + 2) / 3);
}

}  // namespace
}  // namespace morvaline
