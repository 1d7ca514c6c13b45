// Auto-deletion: which rule a place has, what an age rule takes, the trash and back.

#include "tools/auto_delete.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/item_transfer.h"
#include "store/mail_folders.h"
#include "support/new_user.h"

namespace morvaline {
namespace {

FileTime at(int year, int month, int day, int hour = 12) {
    return *fileTimeFromFields({year, month, day, hour, 0, 0});
}

struct ExpiryUser : test::NewUser {
    int folder = addMailFolder(*doc, test::kMailFolderPlace, "old mail");
    ExpiryUser() { doc->setInteger(docint::kAutoDeleteOn, 1); }
    int addRule(int days, int flags, bool spareMarked = false, bool spareComments = false) {
        const int id = doc->deleteRules().add("rule", 0, days, flags);
        CDelete* rule = const_cast<CDelete*>(doc->deleteRules().find(id));
        rule->spareMarked = spareMarked;
        rule->spareComments = spareComments;
        return id;
    }
    std::vector<std::string> titles(int place) {
        OpenedList list(*doc, place);
        std::vector<std::string> t;
        for (int i = 1; i < list->size(); ++i) t.emplace_back(list->item(i).m_szTitle.view());
        return t;
    }
};

TEST(AutoDelete, APlaceTakesItsOwnRuleOrItsKindsDefault) {
    ExpiryUser u;
    CItemArray& tree = u.doc->tree();
    const int keep = u.addRule(30, 0), backwards = u.addRule(-1, 1);
    u.doc->setDeleteSlot(deleteSlotOfKind(kind::kMailFolder), keep);
    u.doc->setDeleteSlot(17, keep);
    EXPECT_EQ(deleteSlotOfKind(kind::kForum), 17);
    EXPECT_EQ(deleteSlotOfKind(kind::kRoomGroup), -1);
    EXPECT_EQ(deleteSlotOfKind(kind::kBoard), 10);

    auto ruleId = [&](int place) {
        const CDelete* r = ruleOfPlace(*u.doc, tree.item(place));
        return r ? r->id : 0;
    };
    EXPECT_EQ(ruleId(u.folder), keep);  // own rule 0: the default slot
    tree.setDeleteRule(u.folder, -1);
    EXPECT_EQ(ruleId(u.folder), 0);
    tree.setDeleteRule(u.folder, backwards);  // a negative day count is no rule
    EXPECT_EQ(ruleId(u.folder), 0);
    tree.setDeleteRule(u.folder, 999);
    EXPECT_EQ(ruleId(u.folder), 0);
    tree.setDeleteRule(u.folder, 0);
    u.doc->setInteger(docint::kAutoDeleteOn, 0);
    EXPECT_EQ(ruleId(u.folder), 0);

    CDelete r;
    r.days = 14;
    EXPECT_EQ(sjisToUtf8(describe(r)), "14日後、ごみ箱に移動");
    r.flags = 1;
    r.spareMarked = 1;
    EXPECT_EQ(sjisToUtf8(describe(r)), "14日後、削除 (マーク以外)");
    r.spareComments = 1;
    EXPECT_EQ(sjisToUtf8(describe(r)), "14日後、削除 (マークとそのコメント以外)");
}

TEST(AutoDelete, AnAgeRuleSparesMarkedMessagesTheirCommentsAndWhatAPatrolNeeds) {
    ExpiryUser u;
    u.doc->tree().setDeleteRule(u.folder, u.addRule(14, 1, true, true));
    const FileTime now = at(2024, 1, 15);
    {
        OpenedList list(*u.doc, u.folder);
        u.store(*list, "just before", "a", -3, 0, at(2024, 1, 1) - 1);
        u.store(*list, "at the limit", "b", -3, 0, at(2024, 1, 1));
        const int marked = u.store(*list, "marked", "c", -3, 0, at(2023, 12, 1));
        list->toggleMark(marked);
        u.store(*list, "comment on marked", "d", -3, marked, at(2023, 12, 2));
        const int reserved = u.store(*list, "reserved", "e", -3, 0, at(2023, 12, 3));
        list->setReserve(reserved, 5);
    }
    const ExpiryOutcome outcome = applyDeleteRule(*u.doc, u.folder, true, false, now, {});
    EXPECT_EQ(outcome.items.done, 1);
    EXPECT_EQ(u.titles(u.folder),
              (std::vector<std::string>{"at the limit", "marked", "comment on marked", "reserved"}));
}

TEST(AutoDelete, TrashedMessagesGoBackToThePlaceTheyCameFrom) {
    ExpiryUser u;
    u.doc->tree().setDeleteRule(u.folder, u.addRule(1, 0));
    {
        OpenedList list(*u.doc, u.folder);
        for (const char* t : {"one", "two", "three"}) u.store(*list, t, t, -3, 0, at(2020, 1, 1));
    }
    EXPECT_EQ(applyDeleteRule(*u.doc, u.folder, true, true, at(2024, 1, 1), {}).items.done, 3);
    EXPECT_TRUE(u.titles(u.folder).empty());
    const auto trashed = u.titles(test::kTrashPlace);
    ASSERT_EQ(trashed.size(), 3u);

    OpenedList trash(*u.doc, test::kTrashPlace);
    BulkRequest restore;
    restore.actions = bulk::kRestore;
    EXPECT_EQ(runBulk(*u.doc, test::kTrashPlace, *trash, restore, {}).done, 3);
    EXPECT_EQ(u.titles(u.folder).size(), 3u);
    EXPECT_EQ(trash->size(), 1);

    // Once the place is gone, restoring leaves the message in the trash.
    BulkRequest toTrash;
    toTrash.actions = bulk::kTrash;
    {
        OpenedList list(*u.doc, u.folder);
        EXPECT_EQ(runBulk(*u.doc, u.folder, *list, toTrash, {}).done, 3);
    }
    std::string error;
    ASSERT_TRUE(removeMailFolder(*u.doc, u.folder, &error)) << error;
    const BulkOutcome stays = runBulk(*u.doc, test::kTrashPlace, *trash, restore, {});
    EXPECT_EQ(stays.failed, 3);
    EXPECT_EQ(trash->size(), 4);
}

TEST(AutoDelete, TheWholeTreeRunSkipsHighRoomsReportsProgressAndStopsWhenCancelled) {
    ExpiryUser u;
    CItemArray& tree = u.doc->tree();
    const int rule = u.addRule(1, 1);
    const int forum = tree.addForum(5, "FORUM", "forum");
    const int high = tree.add(forum + 1, 21, 0, "FORUM", "room 21", kind::kRoom, 0);
    tree.setDeleteRule(high, rule);
    tree.setDeleteRule(u.folder, rule);
    for (const int place : {high, u.folder}) {
        OpenedList list(*u.doc, place);
        u.store(*list, "old", "x", -3, 0, at(2020, 1, 1));
    }
    std::vector<int> progress;
    ToolRun run;
    run.progress = [&progress](int p) { progress.push_back(p); };
    const ExpiryOutcome outcome = runAutoDeletion(*u.doc, at(2024, 1, 1), run);
    EXPECT_EQ(outcome.items.done, 1);
    EXPECT_EQ(u.titles(high).size(), 1u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);

    Event cancel;
    cancel.set();
    run.cancel = &cancel;
    EXPECT_TRUE(runAutoDeletion(*u.doc, at(2024, 1, 1), run).stopped);

    // Asking first: a No stops before anything is taken.
    u.doc->setInteger(docint::kAutoDeleteAsks, 1);
    EXPECT_TRUE(runAutoDeletion(*u.doc, at(2024, 1, 1), {}).stopped);
}

}  // namespace
}  // namespace morvaline
