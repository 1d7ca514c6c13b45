// Moving and copying messages between places, and the crash-safe deletion under it.

#include "store/item_transfer.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "store/mail_folders.h"
#include "store/outgoing_mail.h"
#include "store/place_files.h"
#include "support/new_user.h"

namespace morvaline {
namespace {

using test::kReceivedPlace;

// Every item of a list that is read back from its files: title and text.
std::vector<std::pair<std::string, std::string>> onDisk(test::NewUser& u, int place) {
    CItemArray list;
    const auto names = placeFileNames(u.doc->tree(), place);
    list.setFiles(u.doc->dataDirectory() / names->list, u.doc->dataDirectory() / names->text);
    list.setOwner(&u.doc->tree(), u.doc->tree().item(place).m_nSerial);
    std::vector<std::pair<std::string, std::string>> items;
    if (list.open() != ListLoad::Loaded) return items;
    for (int i = 1; i < list.size(); ++i) items.emplace_back(list.item(i).m_szTitle.view(), u.text(list, i));
    return items;
}

TEST(ItemTransfer, AMoveTakesTextsFlagsAndCommentsAlongAndLeavesTheRestIntact) {
    test::NewUser u;
    const int source = addMailFolder(*u.doc, test::kMailFolderPlace, "inbox");
    const int folder = addMailFolder(*u.doc, test::kMailFolderPlace, "sorted");
    OpenedList from(*u.doc, source);
    OpenedList to(*u.doc, folder);
    u.store(*from, "first", "text one");
    const int second = u.store(*from, "second", "text two");
    u.store(*from, "comment", "under two", kind::kForumMessage, second);
    u.store(*from, "third", "text three");
    from->toggleMark(second);

    const auto moved = moveItems(*u.doc, *from, transferSelection(*from, {second}, true), *to);
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(to->item(moved[0]).m_szTitle.view(), "second");
    EXPECT_TRUE(to->item(moved[0]).hasFlag(ITEM_FLAG_MARKED));
    EXPECT_EQ(to->item(moved[1]).m_nParent, moved[0]);
    EXPECT_EQ(u.text(*to, moved[1]), "under two\r\n--\r\n");
    EXPECT_EQ(to->markedCount(), 1);
    EXPECT_EQ(from->markedCount(), 0);
    EXPECT_TRUE(to->linksValid() && from->linksValid());

    using Items = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(onDisk(u, source),
              (Items{{"first", "text one\r\n--\r\n"}, {"third", "text three\r\n--\r\n"}}));
    EXPECT_EQ(onDisk(u, folder),
              (Items{{"second", "text two\r\n--\r\n"}, {"comment", "under two\r\n--\r\n"}}));
}

TEST(ItemTransfer, ACopyKeepsTheSourceAndGivesAnOwnTextFileANewNumber) {
    test::NewUser u;
    const int outgoing = findOutgoingMailPlace(u.doc->tree());
    OpenedList from(*u.doc, outgoing);
    OpenedList to(*u.doc, u.doc->tree().findKind(kind::kTrash));
    std::string error;
    const int number = writeOwnText(*u.doc, false, "draft\n", &error);
    CItem draft(0, number, 0, "", "draft", kind::kNewMail, 0, fileTimeNow());
    const int index = addOwnItem(*u.doc, *from, draft, &error);
    ASSERT_GE(index, 0) << error;

    const auto copies = copyItems(*u.doc, *from, {index}, *to);
    ASSERT_EQ(copies.size(), 1u);
    const CItem copy = to->item(copies[0]);
    EXPECT_NE(copy.m_nNumber, number);
    std::string copied;
    EXPECT_TRUE(readWholeFile(u.doc->dataDirectory() / ownTextFileName(copy), copied));
    EXPECT_EQ(copied, "draft\n");
    EXPECT_EQ(from->size(), 2);
    EXPECT_EQ(to->outgoingCount(), 1);
}

TEST(ItemTransfer, NothingMovesWhenTheTargetCannotBeWritten) {
    test::NewUser u;
    const int folder = addMailFolder(*u.doc, test::kMailFolderPlace);
    OpenedList from(*u.doc, kReceivedPlace);
    OpenedList to(*u.doc, folder);
    const int mail = u.store(*from, "kept", "text");
    // The target's text file cannot be created: a folder stands in its place.
    std::filesystem::create_directory(to->textFile());
    EXPECT_TRUE(moveItems(*u.doc, *from, {mail}, *to).empty());
    EXPECT_EQ(from->item(from->size() - 1).m_szTitle.view(), "kept");
    EXPECT_EQ(to->size(), 1);
}

// A deletion replaces the text file and the list as a pair: after an interruption at any
// step, the next open sees either the old pair or the new one.
TEST(ItemTransfer, AnInterruptedDeletionOpensAsTheOldOrTheNewPair) {
    struct Case {
        const char* name;
        bool pendingText, pendingList, textRenamed;
        bool expectNew;
    };
    const Case cases[] = {
        {"text written", true, false, false, false},
        {"list written", true, true, false, true},
        {"text renamed", false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::NewUser u;
        const int place = addMailFolder(*u.doc, test::kMailFolderPlace);
        std::filesystem::path listFile, textFile;
        std::string oldList, oldText, newList, newText;
        {
            OpenedList list(*u.doc, place);
            u.store(*list, "gone", "first text");
            u.store(*list, "stays", "second text");
            ASSERT_TRUE(list->save());
            listFile = list->listFile();
            textFile = list->textFile();
            readWholeFile(listFile, oldList);
            readWholeFile(textFile, oldText);
            ASSERT_TRUE(list->remove(1));
            readWholeFile(listFile, newList);
            readWholeFile(textFile, newText);
        }
        writeFileAtomically(listFile, oldList);
        writeFileAtomically(textFile, c.textRenamed ? newText : oldText);
        if (c.pendingText) writeFileAtomically(textFile.string() + ".cut", newText);
        if (c.pendingList) writeFileAtomically(listFile.string() + ".cut", newList);

        const auto items = onDisk(u, place);
        ASSERT_EQ(items.size(), c.expectNew ? 1u : 2u);
        EXPECT_EQ(items.back(), std::make_pair(std::string("stays"), std::string("second text\r\n--\r\n")));
        EXPECT_FALSE(std::filesystem::exists(textFile.string() + ".cut"));
        EXPECT_FALSE(std::filesystem::exists(listFile.string() + ".cut"));
    }
}

TEST(MailFolders, AFolderIsNumberedRenamedAndRemovedWithItsMailGoingToTheTrash) {
    test::NewUser u;
    const int folder = addMailFolder(*u.doc, test::kMailFolderPlace);
    const CItem made = u.doc->tree().item(folder);
    EXPECT_EQ(made.m_szID.view(), "~M000001");
    EXPECT_EQ(made.m_nTarget, 1);
    EXPECT_EQ(made.m_nKind, kind::kMailFolder);
    EXPECT_TRUE(renameMailFolder(*u.doc, folder, "friends"));
    EXPECT_FALSE(renameMailFolder(*u.doc, kReceivedPlace, "friends"));
    {
        OpenedList list(*u.doc, folder);
        u.store(*list, "kept mail", "text");
    }
    std::string error;
    EXPECT_FALSE(removeMailFolder(*u.doc, kReceivedPlace, &error));
    ASSERT_TRUE(removeMailFolder(*u.doc, folder, &error)) << error;
    EXPECT_EQ(u.doc->tree().findId("~M000001"), -1);
    OpenedList trash(*u.doc, u.doc->tree().findKind(kind::kTrash));
    ASSERT_EQ(trash->size(), 2);
    EXPECT_EQ(u.text(*trash, 1), "text\r\n--\r\n");
}

TEST(MailFolders, AHostPlaceIsCopiedIntoTheFavouritesOnce) {
    test::NewUser u;
    CItemArray& tree = u.doc->tree();
    const int favourites = tree.findKind(kind::kFavourites);
    const int board = tree.add(6, 3, 0, "BOARD", "board three", kind::kBoard, 0);
    tree.setPath(board, "BBS/3");
    const int copy = addPlaceCopy(*u.doc, board, favourites);
    ASSERT_GE(copy, 0);
    const CItem c = tree.item(copy);
    EXPECT_EQ(c.m_szID.view(), "~R000001");
    EXPECT_EQ(c.m_strPath.view(), "BBS/3");
    EXPECT_TRUE(c.hasFlag(ITEM_FLAG_HIDDEN));
    EXPECT_EQ(addPlaceCopy(*u.doc, board, favourites), copy);
    EXPECT_EQ(addPlaceCopy(*u.doc, favourites, 0), -1);
}

}  // namespace
}  // namespace morvaline
