// Which messages the subject list shows where and in which order, and the text of a line.

#include "browser_fixture.h"
#include "models/subject_line.h"
#include "models/subject_order.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

class SubjectOrderTest : public test::BrowserFixture {
protected:
    int room = -1;
    void SetUp() override {
        BrowserFixture::SetUp();
        room = addPlace(5, "room", kind::kRoom, 1, "ROOM");
    }
    std::vector<std::string> titles(const MessageSnapshot& s, const std::vector<int>& items) {
        std::vector<std::string> out;
        for (const int i : items) out.push_back(sjisToUtf8(s.text(s.row(i).title)));
        return out;
    }
};

TEST_F(SubjectOrderTest, CommentTreeHangsCommentsBelowTheirMessagesAndFlatFormDoesNot) {
    OpenedList list(*doc, room);
    const int m1 = addMessage(*list, 0, 1, "m1");
    addMessage(*list, 0, 2, "m2");
    addMessage(*list, m1, 3, "c3");                          // a comment that arrived
    addMessage(*list, m1, 0, "draft", kind::kComment);       // a comment being written
    const MessageSnapshot s = MessageSnapshot::of(*list, kind::kRoom);

    SubjectLayout tree(s, {});
    EXPECT_EQ(titles(s, tree.displayOrder()), (std::vector<std::string>{"m1", "c3", "draft", "m2"}));
    EXPECT_EQ(titles(s, tree.sortedChildren(0)), (std::vector<std::string>{"m1", "m2"}));

    SubjectOptions flatOptions;
    flatOptions.commentTree = false;
    SubjectLayout flat(s, flatOptions);
    EXPECT_EQ(titles(s, flat.sortedChildren(0)), (std::vector<std::string>{"m1", "m2", "c3"}));
    EXPECT_EQ(titles(s, flat.sortedChildren(m1)), (std::vector<std::string>{"draft"}));
    EXPECT_TRUE(flat.hasListedChildren(m1));

    // Outside threaded places the comment tree option changes nothing.
    const MessageSnapshot mail = MessageSnapshot::of(*list, kind::kReceivedMail);
    EXPECT_EQ(SubjectLayout(mail, flatOptions).sortedChildren(0).size(), 2u);
}

TEST_F(SubjectOrderTest, LimitShowsTheLastItemsAndOlderUnreadOnesWithTheirAncestors) {
    OpenedList list(*doc, room);
    for (int i = 1; i <= 24; ++i) addMessage(*list, 0, i, "m" + std::to_string(i));
    // With the root and an unread comment below m3, 26 items: 16 ... 25 are the last 10.
    SubjectOptions limited;
    limited.limitOn = true;
    limited.limitCount = 10;
    addMessage(*list, 3, 0, "unread comment", kind::kForumMessage, true);
    const MessageSnapshot s = MessageSnapshot::of(*list, kind::kRoom);
    ASSERT_EQ(s.size(), 26);
    SubjectLayout layout(s, limited);
    std::vector<std::string> expected{"m3", "unread comment"};
    for (int i = 16; i <= 24; ++i) expected.push_back("m" + std::to_string(i));
    EXPECT_EQ(titles(s, layout.displayOrder()), expected);

    // A count below 10 is raised to 10.
    limited.limitCount = 3;
    EXPECT_EQ(SubjectLayout(s, limited).options().limitCount, 10);
}

TEST_F(SubjectOrderTest, NumberOrderKeepsRegistrationForMailCommentsAndUnnumberedMessages) {
    OpenedList list(*doc, room);
    addMessage(*list, 0, 5, "five");
    addMessage(*list, 0, 0, "none");
    addMessage(*list, 0, 2, "two");
    addMessage(*list, 0, 9, "written", kind::kComment);
    addMessage(*list, 0, 1, "one");
    const MessageSnapshot s = MessageSnapshot::of(*list, kind::kRoom);
    EXPECT_EQ(titles(s, SubjectLayout(s, {}).sortedChildren(0)),
              (std::vector<std::string>{"one", "none", "two", "written", "five"}));
    SubjectOptions reversed;
    reversed.reverse = true;
    EXPECT_EQ(titles(s, SubjectLayout(s, reversed).sortedChildren(0)),
              (std::vector<std::string>{"five", "written", "two", "none", "one"}));
    // In the notices place every message keeps registration order.
    const MessageSnapshot notices = MessageSnapshot::of(*list, kind::kNewNotices);
    EXPECT_EQ(titles(notices, SubjectLayout(notices, {}).sortedChildren(0)),
              (std::vector<std::string>{"five", "none", "two", "written", "one"}));
}

TEST_F(SubjectOrderTest, TitleOrderPutsEmptyTitlesFirstInRegistrationOrder) {
    OpenedList list(*doc, room);
    addMessage(*list, 0, 1, "b");
    const int e1 = addMessage(*list, 0, 2, "");
    addMessage(*list, 0, 3, "a");
    const int e2 = addMessage(*list, 0, 4, "");
    SubjectOptions byTitle;
    byTitle.order = SubjectOrder::Title;
    const MessageSnapshot s = MessageSnapshot::of(*list, kind::kRoom);
    EXPECT_EQ(SubjectLayout(s, byTitle).sortedChildren(0), (std::vector<int>{e1, e2, 3, 1}));
}

// The line of one item in a place of the given kind.
std::string lineOf(const CItem& item, const SubjectOptions& options, int placeKind,
                   std::size_t width = kSubjectLineWidth) {
    MessageSnapshot messages(placeKind);
    messages.append(item);
    return subjectLine(messages, 0, options, width);
}

TEST(SubjectLineTest, BuildsTheLineFromTheOptionsAndNeverSplitsACharacter) {
    test::testApp();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    CItem r(0, 12, 0, "ABC01234", sj("こんにちは"), kind::kForumMessage, 1,
            *fileTimeFromFields({2024, 3, 5, 10, 0, 0, 0, 0}), sj("山田"));
    r.m_dwFlags = ITEM_FLAG_DELETED | ITEM_FLAG_HELD;
    SubjectOptions o;
    o.showNumber = o.showDate = o.showId = o.showHandle = true;
    EXPECT_EQ(sjisToUtf8(lineOf(r, o, kind::kRoom)), "#12 2024/03/05 【削除済み】こんにちは ABC01234 山田");
    // Numbers are not shown in the notices place; items being written show their title alone.
    EXPECT_EQ(sjisToUtf8(lineOf(r, o, kind::kNewNotices)).substr(0, 4), "2024");
    r.m_nKind = kind::kComment;
    EXPECT_EQ(sjisToUtf8(lineOf(r, o, kind::kRoom)), "こんにちは");

    // The handle is cut to the room left minus 2 bytes, never inside a double-byte character.
    r.m_nKind = kind::kForumMessage;
    r.m_dwFlags = 0;
    o.showNumber = o.showDate = o.showId = false;
    EXPECT_EQ(sjisToUtf8(lineOf(r, o, kind::kRoom, 14)), "こんにちは ");  // 10 bytes of title, a blank

    // Library entries show size and reference count; a mail shows its sender text.
    const CItem file(0, 0, 0, "", "FILE.LZH", kind::kLibraryFileLast, 1, 0, {}, {}, 7, 4096);
    SubjectOptions sizes;
    sizes.showSize = sizes.showRefCount = true;
    EXPECT_EQ(sjisToUtf8(lineOf(file, sizes, kind::kLibrary)), "FILE.LZH (4KB) (参照数: 7)");
    CItem mail(0, 3, 0, "", "hello", kind::kReceivedMailMessage, 1, 0);
    mail.m_strText = "someone@example.jp";
    SubjectOptions ids;
    ids.showId = ids.showNumber = true;
    EXPECT_EQ(lineOf(mail, ids, kind::kReceivedMail), "hello someone@example.jp");
}

}  // namespace
}  // namespace morvaline
