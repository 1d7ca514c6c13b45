// The user's trash, delete and restore commands: the question each case asks, what the
// answer takes, and what a command becomes in the trash and for a shortcut.

#include "tools/user_removal.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/mail_folders.h"
#include "support/new_user.h"

namespace morvaline {
namespace {

// Answers from a script and keeps what was asked (UTF-8).
struct Script : ToolQuestions {
    Answer answer = Answer::Yes;
    std::vector<std::string> asked;
    Answer ask(const Text&, const std::string& sjisText, bool) override {
        asked.push_back(sjisToUtf8(sjisText));
        return answer;
    }
    void tell(const Text&, const std::string&) override {}
};

struct RemovalUser : test::NewUser {
    int folder = addMailFolder(*doc, test::kMailFolderPlace, "folder");
    RemovalUser() {
        doc->setInteger(docint::kMoveAsks, 0);
        OpenedList list(*doc, folder);
        const int parent = store(*list, "parent", "p");
        store(*list, "comment", "c", -17, parent);
        store(*list, "single", "s");
    }
    std::vector<std::string> titles(int place) {
        OpenedList list(*doc, place);
        std::vector<std::string> t;
        for (int i = 1; i < list->size(); ++i) t.emplace_back(list->item(i).m_szTitle.view());
        return t;
    }
    UserRemovalOutcome run(int place, UserAction action, UserSelection what, Script& script) {
        ToolRun r;
        r.questions = &script;
        OpenedList list(*doc, place);
        return removeByUser(*doc, place, *list, action, what, r);
    }
};

using Titles = std::vector<std::string>;

TEST(UserRemoval, EachCaseAsksItsQuestionAndTheAnswerDecidesTheScope) {
    struct Case {
        const char* what;
        UserAction action;
        UserSelection selection;
        Answer answer;
        const char* question;  // the start of what was asked ("": nothing)
        Titles left, trashed;
    };
    const UserSelection parent{UserSelection::Kind::One, 1}, single{UserSelection::Kind::One, 3};
    const Case cases[] = {
        {"delete with comments", UserAction::Delete, parent, Answer::Yes, "\"parent\" とその中身", {"single"}, {}},
        {"delete alone", UserAction::Delete, parent, Answer::No, "\"parent\" とその中身", {"comment", "single"}, {}},
        {"delete cancelled", UserAction::Delete, parent, Answer::Cancel, "\"parent\" とその中身",
         {"parent", "comment", "single"}, {}},
        {"delete one", UserAction::Delete, single, Answer::Yes, "\"single\" を削除", {"parent", "comment"}, {}},
        {"delete refused", UserAction::Delete, single, Answer::No, "\"single\" を削除", {"parent", "comment", "single"}, {}},
        {"trash without asking", UserAction::Trash, parent, Answer::No, "", {"single"}, {"parent", "comment"}},
        {"delete the place", UserAction::Delete, {UserSelection::Kind::All, 0}, Answer::Yes, "'folder' の中身", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemovalUser u;
        Script script;
        script.answer = c.answer;
        u.run(u.folder, c.action, c.selection, script);
        if (*c.question) {
            ASSERT_EQ(script.asked.size(), 1u);
            EXPECT_EQ(script.asked[0].rfind(c.question, 0), 0u) << script.asked[0];
        } else {
            EXPECT_TRUE(script.asked.empty());
        }
        EXPECT_EQ(u.titles(u.folder), c.left);
        EXPECT_EQ(u.titles(test::kTrashPlace), c.trashed);
    }
}

TEST(UserRemoval, TheTrashDeletesAndPutsBackAndMarkedMessagesAskOnce) {
    RemovalUser u;
    Script script;
    {
        OpenedList list(*u.doc, u.folder);
        list->toggleMark(1);
    }
    // Marked, to the trash with their comments; then back to where they came from.
    EXPECT_EQ(u.run(u.folder, UserAction::Trash, {UserSelection::Kind::Marked, 0}, script).items.done, 2);
    EXPECT_EQ(u.titles(test::kTrashPlace), (Titles{"parent", "comment"}));
    const UserRemovalOutcome back = u.run(test::kTrashPlace, UserAction::Restore, {UserSelection::Kind::One, 1}, script);
    EXPECT_EQ(back.done, UserAction::Restore);
    EXPECT_EQ(u.titles(u.folder), (Titles{"single", "parent", "comment"}));
    EXPECT_EQ(script.asked.size(), 2u);  // the marked question, then the comments of the restored one
    // Moving out of the trash place deletes.
    u.run(u.folder, UserAction::Trash, {UserSelection::Kind::One, 1}, script);
    const UserRemovalOutcome inTrash = u.run(test::kTrashPlace, UserAction::Trash, {UserSelection::Kind::All, 0}, script);
    EXPECT_EQ(inTrash.done, UserAction::Delete);
    EXPECT_TRUE(u.titles(test::kTrashPlace).empty());
    // Restoring outside the trash does nothing.
    EXPECT_TRUE(u.run(u.folder, UserAction::Restore, {UserSelection::Kind::One, 1}, script).declined);
}

}  // namespace
}  // namespace morvaline
