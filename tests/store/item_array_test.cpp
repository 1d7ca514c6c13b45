#include "store/item_array.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/archive.h"
#include "item_fixtures.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

// A place tree with one place that owns a message list with a text file.
struct ListWithOwner {
    test::TempDir dir;
    CItemArray tree;
    CItemArray list;
    int place = 0;

    ListWithOwner() {
        tree.add(-1, 0, 0, "MAIN", "LUDRIX", kind::kRoot, 0);
        place = tree.add(0, 0, 0, "MAIL", "mail", kind::kReceivedMail, 0);
        list.setFiles(dir / "MAIL.IA0", dir / "MAIL.JA0");
        list.setOwner(&tree, tree.item(place).m_nSerial);
        list.add(-1, 0, 0, "MAIL.IA0", "mail", kind::kListRoot, 0);
    }
    std::uint32_t ownerFlags() const { return tree.item(place).m_dwFlags; }
    int store(const std::string& text, int parent = 0) {
        const auto offset = list.appendText(text);
        EXPECT_TRUE(offset);
        const int i = list.add(parent, list.size(), static_cast<int>(*offset), "ID", text.substr(0, 5),
                               kind::kForumMessage, 1);
        list.setLength(i, static_cast<int>(text.size()));
        return i;
    }
    std::string textOf(int i) {
        const CItem item = list.item(i);
        return list.readText(item.m_nOffset, item.m_nLength).value_or("?");
    }
};

TEST(ItemArray, AddingLinksChildrenAndGivesSerials) {
    CItemArray a;
    a.add(-1, 0, 0, "MAIN", "root", kind::kRoot, 0);
    const int first = a.add(0, 1, 0, "", "first", kind::kFolder, 0);
    EXPECT_EQ(a.item(0).m_nChild, first);
    const int second = a.add(0, 2, 0, "", "second", kind::kFolder, 0);
    EXPECT_EQ(a.item(first).m_nNext, second);
    EXPECT_EQ(a.item(second).m_nPrev, first);
    EXPECT_EQ(a.lastChild(0), second);
    EXPECT_EQ(a.item(first).m_nSerial, 258);  // the counter starts at 256
    EXPECT_TRUE(a.linksValid());

}

TEST(ItemArray, DeletingCutsTextsAndKeepsTheOthersReadable) {
    ListWithOwner l;
    const int a = l.store("first message\r\n");
    const int b = l.store("second one\r\n");
    const int c = l.store("third\r\n");
    ASSERT_EQ(l.textOf(c), "third\r\n");
    ASSERT_TRUE(l.list.remove(a));
    EXPECT_EQ(l.list.size(), 3);
    EXPECT_EQ(l.textOf(b - 1), "second one\r\n");
    EXPECT_EQ(l.textOf(c - 1), "third\r\n");
    EXPECT_EQ(l.list.item(b - 1).m_nOffset, 0);
    std::string file;
    ASSERT_TRUE(readWholeFile(l.dir / "MAIL.JA0", file));
    EXPECT_EQ(file, "second one\r\nthird\r\n");
    // The list was saved at once, so its offsets on disk match the rewritten text file.
    CItemArray reread;
    reread.setFiles(l.dir / "MAIL.IA0", l.dir / "MAIL.JA0");
    ASSERT_EQ(reread.open(), ListLoad::Loaded);
    EXPECT_EQ(reread.item(2).m_nOffset, 12);
}

TEST(ItemArray, DeletingAnItemWithChildrenMovesThemUpOneLevel) {
    ListWithOwner l;
    const int parent = l.store("parent\r\n");
    const int child1 = l.store("child one\r\n", parent);
    const int child2 = l.store("child two\r\n", parent);
    const int after = l.store("after\r\n");
    ASSERT_TRUE(l.list.remove(parent));
    EXPECT_TRUE(l.list.linksValid());
    // The children now sit where their parent was, between the root's other children.
    EXPECT_EQ(l.list.item(0).m_nChild, child1 - 1);
    EXPECT_EQ(l.list.item(child1 - 1).m_nParent, 0);
    EXPECT_EQ(l.list.item(child2 - 1).m_nNext, after - 1);
    EXPECT_EQ(l.textOf(child2 - 1), "child two\r\n");
    // Bulk removal of many items at once stays consistent too.
    ASSERT_TRUE(l.list.remove({1, 3}));
    EXPECT_TRUE(l.list.linksValid());
    EXPECT_EQ(l.list.size(), 2);
    EXPECT_EQ(l.textOf(1), "child two\r\n");
}

TEST(ItemArray, OwnerFlagsFollowMarksReadStateAndReservations) {
    ListWithOwner l;
    const int m = l.store("unread\r\n");
    EXPECT_TRUE(l.ownerFlags() & ITEM_FLAG_HAS_UNREAD);
    l.list.markRead(m);
    EXPECT_FALSE(l.ownerFlags() & ITEM_FLAG_HAS_UNREAD);
    l.list.markUnread(m);
    EXPECT_TRUE(l.ownerFlags() & ITEM_FLAG_HAS_UNREAD);

    l.list.toggleMark(m);
    EXPECT_TRUE(l.ownerFlags() & ITEM_FLAG_HAS_MARKED);
    l.list.toggleMark(m);
    EXPECT_FALSE(l.ownerFlags() & ITEM_FLAG_HAS_MARKED);
    EXPECT_EQ(l.list.markedCount(), 0);

    l.list.setReserve(m, 5);
    EXPECT_EQ(l.list.firstReserved(), m);
    EXPECT_TRUE(l.ownerFlags() & ITEM_FLAG_HAS_RESERVED);
    l.list.setReserve(m, -1);
    EXPECT_EQ(l.list.firstReserved(), -1);
    EXPECT_FALSE(l.ownerFlags() & ITEM_FLAG_HAS_RESERVED);

    CItem outgoing(0, 1, 0, "", "to send", kind::kNewMail, 0, 0);
    const int o = l.list.addCopy(0, outgoing, copy::kKind | copy::kTitle);
    EXPECT_TRUE(l.ownerFlags() & ITEM_FLAG_HAS_OUTGOING);
    l.list.setFlags(o, ITEM_FLAG_MARKED, ITEM_FLAG_MARKED);
    EXPECT_EQ(l.list.markedCount(), 1);
    ASSERT_TRUE(l.list.remove(o));
    EXPECT_FALSE(l.ownerFlags() & (ITEM_FLAG_HAS_OUTGOING | ITEM_FLAG_HAS_MARKED));
}

TEST(ItemArray, NewTestUsesTheGenerationWindow) {
    EXPECT_TRUE(CItemArray::isNewGeneration(10, 10, 0));
    EXPECT_FALSE(CItemArray::isNewGeneration(9, 10, 0));
    EXPECT_TRUE(CItemArray::isNewGeneration(3, 10, 7));
    EXPECT_FALSE(CItemArray::isNewGeneration(2, 10, 7));
    EXPECT_FALSE(CItemArray::isNewGeneration(11, 10, 7));
}

TEST(ItemArray, ReadingOrderPassesOverCommentsBelowMessagesAndPathsStopAtFolders) {
    CItemArray a;
    a.add(-1, 0, 0, "", "root", kind::kListRoot, 0);
    const int m1 = a.add(0, 1, 0, "", "m1", kind::kForumMessage, 1);
    const int c1 = a.add(m1, 2, 0, "", "c1", kind::kComment, 1);
    const int m2 = a.add(m1, 3, 0, "", "m2", kind::kForumMessage, 1);
    const int top = a.add(0, 4, 0, "", "top comment", kind::kComment, 1);
    EXPECT_EQ(a.nextInReadingOrder(0), m1);
    EXPECT_EQ(a.nextInReadingOrder(m1), m2);  // c1 hangs under a message: passed over
    EXPECT_EQ(a.nextInReadingOrder(m2), top);  // a comment under the root is not
    EXPECT_EQ(a.nextInReadingOrder(top), -1);
    EXPECT_EQ(a.nextCommentOrShortcut(c1), -1);
    EXPECT_EQ(a.nextCommentOrShortcut(m1), top);
    EXPECT_EQ(a.findNumberInSubtree(0, 3), m2);
    EXPECT_TRUE(a.isBelow(m2, m1));

    CItemArray tree;
    tree.add(-1, 0, 0, "MAIN", "LUDRIX", kind::kRoot, 0);
    const int sig = tree.add(0, 0, 0, "", "SIG", kind::kFolder, 0);
    const int forum = tree.addForum(sig, "FORUM", "Forum");
    const int area = tree.findChildKind(forum, kind::kForumArea);
    const int room = tree.add(area, 1, 0, "FORUM", "Room 1", kind::kRoom, 0);
    EXPECT_EQ(tree.displayPath(room), "Forum / " + sj("ﾌｫｰﾗﾑ"));
    EXPECT_EQ(tree.item(forum).m_strPath, "FORUM");
    EXPECT_EQ(tree.findChildKinds(forum, kind::kLibraryArea, 99), area + 1);
}

TEST(ItemArray, ListFilesOfEveryFormLoad) {
    test::TempDir dir;
    // The oldest form: the items, then only the last number.
    test::ItemRecord root;
    root.kind = kind::kListRoot;
    test::ItemRecord msg;
    msg.parent = 0;
    msg.number = 7;
    msg.body = 3;
    msg.kind = kind::kForumMessage;
    msg.length = -1;
    msg.target = -1;
    test::ByteBuilder b;
    b.u16(2).newClass("CItem");
    root.appendTo(b);
    b.classRef(1);
    msg.appendTo(b);
    b.i32(42);
    ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", b.bytes()));
    ASSERT_TRUE(writeFileAtomically(dir / "X.FA0", "0123456789"));
    // Repair the missing child link of the hand-built root.
    CItemArray list;
    list.setFiles(dir / "X.EA0", dir / "X.FA0");
    EXPECT_EQ(list.open(), ListLoad::Damaged);  // the root does not name its child

    root.child = 1;
    test::ByteBuilder good;
    good.u16(2).newClass("CItem");
    root.appendTo(good);
    good.classRef(1);
    msg.appendTo(good);
    good.i32(42);
    ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", good.bytes()));
    ASSERT_EQ(list.open(), ListLoad::Loaded);
    EXPECT_EQ(list.lastNumber(), 42);
    EXPECT_TRUE(list.hasUnreadItems());
    EXPECT_TRUE(list.dirty());  // written again in the current form at its last close
    EXPECT_EQ(list.item(1).m_nLength, 10);  // to the end of the text file
    EXPECT_EQ(list.item(1).m_nTarget, 0);
    EXPECT_NE(list.item(1).m_nSerial, 0);

    // The current form with its counters; a serial counter of -1 wraps to 1.
    test::ByteBuilder current;
    current.u16(2).newClass("CItem");
    root.appendTo(current);
    current.classRef(1);
    msg.appendTo(current);
    current.i32(-2).i32(6).i32(6).i32(5).i32(0).i32(-1).i32(-1).i32(0).i32(0);
    current.i32(0).i32(1).i64(0).i32(0);
    ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", current.bytes()));
    ASSERT_EQ(list.open(), ListLoad::Loaded);
    EXPECT_FALSE(list.dirty());
    EXPECT_EQ(list.lastNumber(), 5);
    EXPECT_EQ(list.item(list.add(0, 0, 0, "", "new", kind::kForumMessage, 0)).m_nSerial, 1);

    // Missing and damaged files.
    CItemArray missing;
    missing.setFiles(dir / "NONE.EA0", dir / "NONE.FA0");
    EXPECT_EQ(missing.open(), ListLoad::Missing);
    for (const std::string& damage : {good.bytes().substr(0, 40), std::string("\xFF\xFF\xFF\xFF\xFF\xFF"),
                                       test::ByteBuilder().u16(0xFFFF).u32(100000000).bytes()}) {
        ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", damage));
        EXPECT_EQ(list.open(), ListLoad::Damaged);
        EXPECT_EQ(list.size(), 0);
    }
}

TEST(ItemArray, DamagedLinksAreRefusedBeforeAnyIsFollowed) {
    // A root with three messages; the second has a comment.
    std::vector<test::ItemRecord> items(5);
    items[0].kind = kind::kListRoot;
    items[0].child = 1;
    for (int i = 1; i <= 4; ++i) {
        items[i].kind = kind::kForumMessage;
        items[i].parent = i == 4 ? 2 : 0;
    }
    items[1].next = 2;
    items[2].prev = 1, items[2].next = 3, items[2].child = 4;
    items[3].prev = 2;
    test::TempDir dir;
    CItemArray list;
    list.setFiles(dir / "X.EA0", dir / "X.FA0");
    ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", test::listFile(items)));
    ASSERT_EQ(list.open(), ListLoad::Loaded);

    struct Damage {
        const char* what;
        std::function<void(std::vector<test::ItemRecord>&)> apply;
    };
    const Damage damages[] = {
        // Reached through the root's chain before item 2's own links are looked at.
        {"next far out of range", [](auto& v) { v[2].next = 0x7FFFFFFF; }},
        {"next below -1", [](auto& v) { v[2].next = -7; }},
        {"child out of range", [](auto& v) { v[4].child = 0x40000000; }},
        {"siblings in a loop", [](auto& v) { v[3].next = 1; }},
        {"its own child", [](auto& v) { v[4].child = 4, v[4].parent = 4; }},
        {"parents in a loop", [](auto& v) {
             v[2].child = -1;
             v[2].next = -1;
             v[3] = v[4];
             v[3].parent = 4, v[3].prev = -1, v[3].child = 4;
             v[4].parent = 3, v[4].child = 3;
         }},
        {"a second root", [](auto& v) { v[3].parent = -1, v[2].next = -1, v[3].prev = -1; }},
        {"the root with a sibling", [](auto& v) { v[0].next = 1; }},
        {"a child that names another parent", [](auto& v) { v[4].parent = 1; }},
    };
    for (const Damage& damage : damages) {
        auto damaged = items;
        damage.apply(damaged);
        ASSERT_TRUE(writeFileAtomically(dir / "X.EA0", test::listFile(damaged)));
        EXPECT_EQ(list.open(), ListLoad::Damaged) << damage.what;
        EXPECT_EQ(list.size(), 0) << damage.what;
    }
}

TEST(ItemArray, SavedListsComeBackEqual) {
    ListWithOwner l;
    const int m = l.store("hello\r\n");
    l.list.toggleMark(m);
    l.list.setLastNumber(99);
    ASSERT_TRUE(l.list.save());
    CItemArray again;
    again.setFiles(l.dir / "MAIL.IA0", l.dir / "MAIL.JA0");
    ASSERT_EQ(again.open(), ListLoad::Loaded);
    EXPECT_FALSE(again.dirty());
    EXPECT_EQ(again.lastNumber(), 99);
    EXPECT_EQ(again.markedCount(), 1);
    EXPECT_TRUE(again.item(m).equals(l.list.item(m), ~0u & ~copy::kGenerationsDiffer));
    EXPECT_EQ(again.item(m).m_nSerial, l.list.item(m).m_nSerial);
}

}  // namespace
}  // namespace morvaline
