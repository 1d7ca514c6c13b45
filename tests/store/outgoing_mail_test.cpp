// Mails written offline: the items of the outgoing-mail place and their text files, forwards
// linked to their received mails, and cutting a place's text file back.

#include "store/outgoing_mail.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

constexpr int kReceived = 2;

struct NewUser {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    ~NewUser() { doc->close(); }

    CItem outgoing(int index) {
        OpenedList list(*doc, findOutgoingMailPlace(doc->tree()));
        return list->item(index);
    }
    std::string ownText(const CItem& item) {
        std::string text;
        EXPECT_TRUE(readWholeFile(doc->dataDirectory() / ownTextFileName(item), text));
        return text;
    }
};

TEST(OutgoingMail, ANewMailWaitsInTheOutgoingPlaceWithItsTextInItsOwnFile) {
    NewUser u;
    std::string error;
    const int mail =
        NewMail(*u.doc, {"MVL00002,user@example.com", sj("予定"), "a\r\nb\rc\n", {}, true}, &error);
    ASSERT_GE(mail, 0) << error;
    const int draft = NewMail(*u.doc, {"MVL00002", {}, "", {}, false}, &error);
    ASSERT_GE(draft, 0) << error;

    EXPECT_EQ(findOutgoingMailPlace(u.doc->tree()), 3);
    const CItem item = u.outgoing(mail);
    EXPECT_EQ(item.m_nKind, kind::kNewMail);
    EXPECT_EQ(item.m_nReserve, kReserveSend);
    EXPECT_EQ(item.m_dwFlags, ITEM_FLAG_READ);
    EXPECT_EQ(item.m_strText.view(), "MVL00002,user@example.com");
    EXPECT_EQ(ownTextFileName(item), "~C000001.MSG");
    EXPECT_EQ(u.ownText(item), "a\nb\nc\n");  // the editor's line ends
    EXPECT_GT(item.m_nAux, 0);                // the document's template for new mail

    const CItem unreserved = u.outgoing(draft);
    EXPECT_EQ(sjisToUtf8(unreserved.m_szTitle.view()), "新しいﾒｰﾙ");
    EXPECT_EQ(unreserved.m_nReserve, kReserveBeingWritten);
    EXPECT_EQ(unreserved.m_nNumber, 2);
    EXPECT_TRUE(u.doc->tree().item(3).hasFlag(ITEM_FLAG_HAS_RESERVED));
}

TEST(OutgoingMail, AFileMailNamesItsFileAndATakenNumberIsPassedOver) {
    NewUser u;
    // A stray text file holds the next number: the counter goes past it.
    ASSERT_TRUE(writeFileAtomically(u.doc->dataDirectory() / "~C000001.MSG", "old"));
    std::string error;
    const int index = NewMail(*u.doc, {"MVL00002", sj("写真"), {}, "/tmp/photo.dat", true}, &error);
    ASSERT_GE(index, 0) << error;
    const CItem item = u.outgoing(index);
    EXPECT_EQ(item.m_nKind, kind::kFileMail);
    EXPECT_EQ(item.m_dwFlags, ITEM_FLAG_READ | ITEM_FLAG_FILE_MAIL);
    EXPECT_EQ(item.m_strPath.view(), "/tmp/photo.dat");
    EXPECT_EQ(item.m_nAux, 0);
    EXPECT_EQ(item.m_nNumber, 2);
}

TEST(OutgoingMail, AForwardFindsItsReceivedMailThroughTheShortcut) {
    NewUser u;
    int received = -1;
    {
        OpenedList list(*u.doc, kReceived);
        received = list->add(0, 7, 0, "", sj("新年会"), kind::kReceivedMailMessage, 0);
    }
    std::string error;
    ASSERT_LT(ForwardMail(*u.doc, {kReceived, 0, "MVL00003", {}, {}, true}, &error),
              0);  // not a mail
    const int forward =
        ForwardMail(*u.doc, {kReceived, received, "MVL00003", {}, sj("回します"), true}, &error);
    ASSERT_GE(forward, 0) << error;

    const CItem item = u.outgoing(forward);
    EXPECT_EQ(item.m_nKind, kind::kForwardMail);
    EXPECT_EQ(sjisToUtf8(item.m_szTitle.view()), "新年会");
    EXPECT_EQ(item.m_nReserve, kReserveSend);
    EXPECT_EQ(u.ownText(item), sj("回します"));
    int place = -1, index = -1;
    ASSERT_TRUE(findForwardedMail(*u.doc, item, place, index));
    EXPECT_EQ(place, kReceived);
    EXPECT_EQ(index, received);
    {
        OpenedList list(*u.doc, kReceived);
        const CItem shortcut = list->item(list->item(received).m_nChild);
        EXPECT_EQ(shortcut.m_nKind, kind::kShortcut);
        EXPECT_EQ(sjisToUtf8(shortcut.m_szTitle.view()), "転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ");
        EXPECT_EQ(shortcut.m_nOffset, item.m_nSerial);
        // Without its shortcut the forward cannot find its mail any more.
        ASSERT_TRUE(list->remove(list->item(received).m_nChild));
    }
    EXPECT_FALSE(findForwardedMail(*u.doc, item, place, index));
}

TEST(OutgoingMail, AFailedTextIsCutBackAndTheFileNeverGrows) {
    NewUser u;
    OpenedList list(*u.doc, 3);
    ASSERT_EQ(list->appendText("kept\r\n"), 0);
    ASSERT_EQ(list->appendText("taken back\r\n"), 6);
    EXPECT_TRUE(list->truncateText(6));
    EXPECT_EQ(list->appendText(""), 6);
    EXPECT_TRUE(list->truncateText(100));
    EXPECT_EQ(list->appendText(""), 6);
    EXPECT_FALSE(list->truncateText(-1));
}

}  // namespace
}  // namespace morvaline
