// Writing offline: new mails, replies and forwards from templates, with their titles,
// fields, reservations and links to the messages they answer.

#include "message/outgoing_items.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "message/post_title.h"
#include "platform/sjis.h"
#include "store/forum_rooms.h"
#include "store/outgoing_mail.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

constexpr int kReceived = 2;
constexpr int kTemplates = 4;

struct NewUser {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    DateLocale locale;

    NewUser() {
        doc->setString(docstr::kHandle, sj("太郎"));
        locale.shortDate = "yyyy/MM/dd";
        locale.time = "HH:mm";
    }
    ~NewUser() { doc->close(); }

    TemplateOptions expanding() const {
        TemplateOptions o;
        o.expand = true;
        o.locale = &locale;
        o.now = *fileTimeFromFields({2001, 2, 3, 4, 5, 6, 0, 0});
        return o;
    }
    CItem item(int place, int index) {
        OpenedList list(*doc, place);
        return list->item(index);
    }
    CItem outgoing(int index) { return item(findOutgoingMailPlace(doc->tree()), index); }
    std::string ownText(const CItem& item) {
        std::string text;
        EXPECT_TRUE(readWholeFile(doc->dataDirectory() / ownTextFileName(item), text));
        return text;
    }
    // A stored message with its text, in a place's list.
    int addMessage(int place, int messageKind, std::string_view title, std::string_view text,
                   std::string_view sender, std::string_view id = {}) {
        OpenedList list(*doc, place);
        const auto offset = list->appendText(text);
        const int index =
            list->add(0, 12, static_cast<int>(*offset), id, title, messageKind, 2,
                      *fileTimeFromFields({2000, 1, 2, 9, 30, 0, 0, 0}), {}, sj("花子"));
        list->setLength(index, static_cast<int>(text.size()));
        list->setText(index, sender);
        EXPECT_TRUE(list->save());
        return index;
    }
    void setTemplate(int number, std::string_view title, std::uint32_t flags = 0) {
        OpenedList list(*doc, kTemplates);
        const int index = list->findLastNumberKind(number, kind::kTemplate);
        list->setTitle(index, title);
        list->setFlags(index, ITEM_FLAG_COUNTED_REPLY, flags);
    }
};

// The text of a host mail as the store keeps it: the header block, then the body.
std::string hostMail(std::string_view body) {
    return sj("2000/01/02 09:30   未読\r\n\r\n差出人：MVL00002 花子\r\n文書名：質問\r\n\r\n") +
           std::string(body);
}

TEST(OutgoingItems, ANewMailStartsFromItsTemplate) {
    NewUser u;
    NewMailRequest request{"MVL00002,user@example.com", {}, sj("本文です。"), {}, false};
    request.attachments = {"/tmp/a.txt", "/tmp/b.dat"};
    request.options = u.expanding();
    const Written mail = NewMail(*u.doc, request);
    ASSERT_GE(mail.index, 0) << mail.error;
    const CItem item = u.outgoing(mail.index);
    EXPECT_EQ(item.m_nKind, kind::kNewMail);
    EXPECT_EQ(item.m_szTitle.view(), sj("新しいﾒｰﾙ"));
    EXPECT_EQ(item.m_nAux, 1);  // "ﾒｰﾙの送信用"
    EXPECT_EQ(item.m_nReserve, kReserveBeingWritten);
    EXPECT_EQ(item.m_dwFlags, ITEM_FLAG_READ);
    EXPECT_EQ(item.m_strPath.view(), "/tmp/a.txt\n/tmp/b.dat");
    EXPECT_EQ(u.ownText(item), sj("こんにちは。\n\n本文です。\n\n太郎\n"));
    EXPECT_FALSE(mail.openProperties);

    // A template with a title names the mail; reserve-at-once reserves it.
    u.setTemplate(1, sj("定例報告"));
    u.doc->setInteger(docint::kReserveAtOnce, 1);
    const Written titled = NewMail(*u.doc, {"MVL00002", {}, "x", {}, false});
    EXPECT_EQ(u.outgoing(titled.index).m_szTitle.view(), sj("定例報告"));
    EXPECT_EQ(u.outgoing(titled.index).m_nReserve, kReserveSend);
    EXPECT_EQ(u.ownText(u.outgoing(titled.index)), "x");  // the text as given

    // The outgoing place's own choice wins over the document's slot; -1 means none.
    u.doc->tree().setExtra1(findOutgoingMailPlace(u.doc->tree()), 3);
    EXPECT_EQ(u.outgoing(NewMail(*u.doc, {"MVL00002", {}, {}, {}, false}).index).m_nAux, 3);
    u.doc->tree().setExtra1(findOutgoingMailPlace(u.doc->tree()), -1);
    const Written none = NewMail(*u.doc, {"MVL00002", {}, {}, {}, false});
    EXPECT_EQ(u.outgoing(none.index).m_nAux, 0);
    EXPECT_EQ(u.outgoing(none.index).m_szTitle.view(), sj("新しいﾒｰﾙ"));
}

TEST(OutgoingItems, AFileMailHasNoTemplateAndOpensItsProperties) {
    NewUser u;
    // A stray text file holds the next number: the counter goes past it.
    ASSERT_TRUE(writeFileAtomically(u.doc->dataDirectory() / "~C000001.MSG", "old"));
    NewMailRequest request{"MVL00002", sj("写真"), {}, "/tmp/photo.dat", true};
    request.options = u.expanding();
    const Written mail = NewMail(*u.doc, request);
    ASSERT_GE(mail.index, 0) << mail.error;
    const CItem item = u.outgoing(mail.index);
    EXPECT_EQ(item.m_nKind, kind::kFileMail);
    EXPECT_EQ(item.m_dwFlags, ITEM_FLAG_READ | ITEM_FLAG_FILE_MAIL);
    EXPECT_EQ(item.m_strPath.view(), "/tmp/photo.dat");
    EXPECT_EQ(item.m_nAux, 0);
    EXPECT_EQ(item.m_nNumber, 2);
    EXPECT_EQ(item.m_nReserve, kReserveSend);
    EXPECT_EQ(u.ownText(item), "");
    EXPECT_TRUE(mail.openProperties);
}

TEST(OutgoingItems, AReplyQuotesItsMailAndHangsAShortcutUnderIt) {
    NewUser u;
    const int source = u.addMessage(kReceived, kind::kReceivedMailMessage, "RE: abc",
                                    hostMail(sj("一行目\r\n二行目\r\n")), "MVL00002");
    ReplyRequest request{kReceived, source, {}, {}, sj("ありがとう")};
    request.options = u.expanding();
    const Written reply = ReplyMail(*u.doc, request);
    ASSERT_GE(reply.index, 0) << reply.error;
    const CItem item = u.outgoing(reply.index);
    EXPECT_EQ(item.m_nKind, kind::kNewMail);
    EXPECT_EQ(item.m_szTitle.view(), "RE: abc");  // no counting without the template's flag
    EXPECT_EQ(item.m_strText.view(), "MVL00002");
    EXPECT_EQ(item.m_nAux, 2);  // "ﾒｰﾙの返信用"
    EXPECT_EQ(item.m_nReserve, -1);
    EXPECT_EQ(u.ownText(item),
              sj("花子 さん、こんにちは。\n\n>一行目\n>二行目\n\nありがとう\n\n太郎\n"));

    const CItem received = u.item(kReceived, source);
    const CItem shortcut = u.item(kReceived, received.m_nChild);
    EXPECT_EQ(shortcut.m_nKind, kind::kShortcut);
    EXPECT_EQ(shortcut.m_szTitle.view(), sj("返信ﾒｰﾙへのｼｮｰﾄｶｯﾄ"));
    EXPECT_EQ(shortcut.m_nOffset, item.m_nSerial);

    // A template marked for counted replies raises the level; at once means reserved.
    u.setTemplate(2, "", ITEM_FLAG_COUNTED_REPLY);
    u.doc->setInteger(docint::kReserveAtOnce, 1);
    const Written counted = ReplyMail(*u.doc, {kReceived, source});
    EXPECT_EQ(u.outgoing(counted.index).m_szTitle.view(), "RE^2: abc");
    EXPECT_EQ(u.outgoing(counted.index).m_nReserve, kReserveSend);
    EXPECT_EQ(u.ownText(u.outgoing(counted.index)), sj(">一行目\n>二行目\n"));
}

TEST(OutgoingItems, AReplyToAForumMessageIsAMailToItsAuthor) {
    NewUser u;
    const int room = u.doc->tree().add(5, 0, 0, "ROOM", sj("雑談"), kind::kRoom, 0);
    u.doc->tree().setPath(room, "ABC/3");
    const int message =
        u.addMessage(room, kind::kForumMessage, sj("質問"), sj("本文\r\n"), "", "MVL00002");
    u.doc->tree().setAux(room, 5);  // this room's template for a mail to an author

    const Written mail = ReplyMail(*u.doc, {room, message});
    ASSERT_GE(mail.index, 0) << mail.error;
    const CItem item = u.outgoing(mail.index);
    EXPECT_EQ(item.m_strText.view(), "MVL00002");
    EXPECT_EQ(item.m_szTitle.view(), sj("RE:質問"));
    EXPECT_EQ(item.m_nAux, 5);
    const CItem shortcut = u.item(room, u.item(room, message).m_nChild);
    EXPECT_EQ(shortcut.m_szTitle.view(), sj("発言者へのﾒｰﾙのｼｮｰﾄｶｯﾄ"));

    // Its fields name the message, the author and the place on the host.
    const CItem place = u.doc->tree().item(room);
    const CItem source = u.item(room, message);
    const TemplateFields f = fieldsFor(*u.doc, &place, &source, "t", 7);
    EXPECT_EQ(f.answeredId, "MVL00002");
    EXPECT_EQ(f.answeredHandle, sj("花子"));
    EXPECT_EQ(f.answeredNumber, 12);
    EXPECT_EQ(f.hostAddress, "LUDRIX:ABC/3/12");
    EXPECT_EQ(f.ownId, "MVL00001");
    EXPECT_EQ(startText(*u.doc, 5, f, &u.locale, ""),
              sj("LUDRIX:ABC/3/12 へのコメントです。\n花子 さん、こんにちは。\n\n\n"
                 "太郎  Morvaline 2.34\n"));
}

TEST(OutgoingItems, AForwardFindsItsReceivedMailThroughTheShortcut) {
    NewUser u;
    const int received = u.addMessage(kReceived, kind::kReceivedMailMessage, sj("新年会"),
                                      hostMail("x\r\n"), "MVL00002");
    EXPECT_LT(ForwardMail(*u.doc, {kReceived, 0, "MVL00003"}).index, 0);  // not a mail
    ForwardRequest request{kReceived, received, "MVL00003", {}, sj("回します"), true};
    request.options = u.expanding();
    const Written forward = ForwardMail(*u.doc, request);
    ASSERT_GE(forward.index, 0) << forward.error;

    const CItem item = u.outgoing(forward.index);
    EXPECT_EQ(item.m_nKind, kind::kForwardMail);
    EXPECT_EQ(item.m_szTitle.view(), sj("FW:新年会"));
    EXPECT_EQ(item.m_dwFlags, 0x12u);
    EXPECT_EQ(item.m_nReserve, kReserveSend);
    EXPECT_EQ(u.ownText(item), sj("花子 さんからのメールを転送します。\n\n回します\n\n太郎\n"));
    int place = -1, index = -1;
    ASSERT_TRUE(findForwardedMail(*u.doc, item, place, index));
    EXPECT_EQ(place, kReceived);
    EXPECT_EQ(index, received);
    {
        OpenedList list(*u.doc, kReceived);
        const CItem shortcut = list->item(list->item(received).m_nChild);
        EXPECT_EQ(shortcut.m_szTitle.view(), sj("転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ"));
        // Without its shortcut the forward cannot find its mail any more.
        ASSERT_TRUE(list->remove(list->item(received).m_nChild));
    }
    EXPECT_FALSE(findForwardedMail(*u.doc, item, place, index));

    // A forward titled by its template is flagged as a plain mail.
    u.setTemplate(3, sj("回覧"));
    const Written titled = ForwardMail(*u.doc, {kReceived, received, "MVL00003"});
    EXPECT_EQ(u.outgoing(titled.index).m_szTitle.view(), sj("回覧"));
    EXPECT_EQ(u.outgoing(titled.index).m_dwFlags, ITEM_FLAG_READ);
}

TEST(OutgoingItems, TemplatesAndTheirUses) {
    NewUser u;
    // The slots of a new data set; a place's own choice wins, -1 is none.
    EXPECT_EQ(templateFor(*u.doc, 0, TemplateUse::BoardComment), 5);
    EXPECT_EQ(templateFor(*u.doc, 0, TemplateUse::BoardMessage), 4);
    EXPECT_EQ(templateFor(*u.doc, 0, TemplateUse::MailToAuthor), 7);
    EXPECT_EQ(templateFor(*u.doc, 6, TemplateUse::ReplyMail), 6);
    EXPECT_EQ(templateFor(*u.doc, -1, TemplateUse::ReplyMail), 0);

    const Written unnamed = NewTemplate(*u.doc);
    const Written named = NewTemplate(*u.doc, sj("お礼"), "\x01" + sj("題名") + "\x02");
    ASSERT_GE(named.index, 0) << named.error;
    const CItem first = u.item(kTemplates, unnamed.index);
    const CItem second = u.item(kTemplates, named.index);
    EXPECT_EQ(first.m_nKind, kind::kTemplate);
    EXPECT_EQ(first.m_szTitle.view(), sj("新しいﾃﾝﾌﾟﾚｰﾄ"));
    EXPECT_EQ(first.m_nNumber, 8);
    EXPECT_EQ(second.m_szName.view(), sj("お礼"));
    EXPECT_TRUE(second.m_szTitle.empty());
    EXPECT_EQ(u.ownText(second), "\x01" + sj("題名") + "\x02");

    // The unnamed template's title names what is written from it.
    NewMailRequest request{"MVL00002"};
    request.options.number = first.m_nNumber;
    EXPECT_EQ(u.outgoing(NewMail(*u.doc, request).index).m_szTitle.view(), sj("新しいﾃﾝﾌﾟﾚｰﾄ"));
    request.options = u.expanding();
    request.options.number = second.m_nNumber;
    request.title = sj("件名");
    EXPECT_EQ(u.ownText(u.outgoing(NewMail(*u.doc, request).index)), sj("件名"));
}

}  // namespace
}  // namespace morvaline

namespace morvaline {
namespace {

TEST(OutgoingItems, PostsAndCommentsWaitInTheirPlace) {
    NewUser u;
    CItemArray& tree = u.doc->tree();
    const int forum = addSigForum(tree, 5, "ABC", {3}, sj("フォーラム"));
    const int room = addRoom(tree, tree.findChildKind(forum, kind::kForumArea), 2, sj("雑談"));
    const int answered = u.addMessage(room, kind::kForumMessage, sj("質問"), sj("本文\r\n"), "", "MVL00002");

    const Written message = NewPost(*u.doc, {.place = room, .text = sj("こんにちは")});
    ASSERT_GE(message.index, 0) << message.error;
    const CItem fresh = u.item(room, message.index);
    EXPECT_EQ(fresh.m_nKind, kind::kComment);
    EXPECT_EQ(fresh.m_szTitle.view(), sj("新しいﾒｯｾｰｼﾞ"));
    EXPECT_EQ(fresh.m_nReserve, kReserveBeingWritten);
    EXPECT_EQ(fresh.m_nAux, templateFor(*u.doc, 0, TemplateUse::ForumMessage));
    EXPECT_EQ(fresh.m_nParent, 0);
    EXPECT_EQ(u.ownText(fresh), sj("こんにちは"));

    // A comment hangs under what it answers and names its number; in a board it takes the
    // board's comment template.
    const Written comment = NewPost(*u.doc, {.place = room, .commentTo = answered, .reserve = true});
    ASSERT_GE(comment.index, 0) << comment.error;
    const CItem reply = u.item(room, comment.index);
    EXPECT_EQ(reply.m_nParent, answered);
    EXPECT_EQ(reply.m_nTarget, 12);
    EXPECT_EQ(reply.m_szTitle.view(), sj("RE:質問"));
    EXPECT_EQ(reply.m_nReserve, kReservePost);
    EXPECT_EQ(reply.m_nAux, templateFor(*u.doc, 0, TemplateUse::ForumComment));
    EXPECT_EQ(postTitleLine(reply), sj("RE:#12 質問"));
    EXPECT_LT(NewPost(*u.doc, {.place = room, .commentTo = message.index}).index, 0);  // no number

    const int board = tree.add(6, 1, 0, "BOARD", sj("掲示板"), kind::kBoard, 0);
    const int posted = u.addMessage(board, kind::kForumMessage, sj("告知"), sj("x\r\n"), "", "MVL00002");
    EXPECT_EQ(u.item(board, NewPost(*u.doc, {.place = board, .commentTo = posted}).index).m_nAux, 5);

    // In a library section a post is an upload with its classification values.
    const int section = tree.add(5, 1, 0, "LIB", sj("ライブラリ"), kind::kLibrary, 0);
    const CItem upload = u.item(section, NewPost(*u.doc, {.place = section}).index);
    EXPECT_EQ(upload.m_nKind, kind::kUpload);
    EXPECT_EQ(upload.m_szTitle.view(), sj("新しいﾌｧｲﾙ"));
    EXPECT_EQ(upload.m_dwFlags, 0x22u);
    EXPECT_EQ(upload.m_nSpare[1], 16);
    EXPECT_EQ(upload.m_nSpare[3], 27);
    EXPECT_EQ(upload.m_strExtra.view(), "1.0");
}

TEST(OutgoingItems, PostTitleLines) {
    CItem item;
    item.m_szTitle = sj("RE:質問");
    EXPECT_EQ(postTitleLine(item), sj("RE:質問"));
    item.m_nTarget = 7;
    EXPECT_EQ(postTitleLine(item), sj("RE:#7 質問"));
    item.m_szTitle = sj("Re: 質問");
    EXPECT_EQ(postTitleLine(item), sj("RE:#7 質問"));
    // A title that names the number already, and one counted, stay as they are.
    item.m_szTitle = "RE:#7 abc";
    EXPECT_EQ(postTitleLine(item), "RE:#7 abc");
    item.m_szTitle = "RE^2:abc";
    EXPECT_EQ(postTitleLine(item), "RE:#7 RE^2:abc");
    // 33 kanji after the prefix: cut after the 32nd, not inside the 33rd.
    std::string kanji;
    for (int i = 0; i < 33; ++i) kanji += sj("漢");
    item.m_szTitle = sjisBoundedCopy(kanji, 72);
    item.m_nTarget = 12345;
    EXPECT_EQ(postTitleLine(item), "RE:#12345 " + kanji.substr(0, 62));
}

TEST(ForumPlaces, SigForumsAndRoomsGetTheirHostPaths) {
    NewUser u;
    CItemArray& tree = u.doc->tree();
    EXPECT_LT(addSigForum(tree, 5, "BAD/CODE", {1}, {}), 0);
    EXPECT_LT(addSigForum(tree, 5, "ABC", {1000}, {}), 0);
    const int forum = addSigForum(tree, 5, "abc", {2, 3}, {});
    ASSERT_GE(forum, 0);
    EXPECT_EQ(tree.item(forum).m_strPath.view(), "ABC/2/3");
    EXPECT_EQ(tree.item(forum).m_szTitle.view(), "ABC/2/3");
    const int area = tree.findChildKind(forum, kind::kForumArea);
    EXPECT_EQ(sigAreaPath(tree, area), "ABC/2/3");

    const int room = addRoom(tree, area, 4, sj("雑談"));
    EXPECT_EQ(tree.item(room).m_strPath.view(), "ABC/2/3/4");
    EXPECT_EQ(tree.item(room).m_szCode.view(), "ABC");
    EXPECT_LT(addRoom(tree, area, 4, sj("二度目")), 0);
    const int folder = addRoom(tree, area, 5, sj("過去ログ"), kind::kRoomGroup);
    EXPECT_EQ(tree.item(addRoom(tree, folder, 1, sj("古い"))).m_strPath.view(), "ABC/2/3/5/1");
    EXPECT_LT(addRoom(tree, 5, 1, sj("SIG の外")), 0);
}

}  // namespace
}  // namespace morvaline
