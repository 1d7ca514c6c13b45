#include "store/document.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/place_files.h"
#include "item_fixtures.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

class DocumentTest : public ::testing::Test {
protected:
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};

    OpenRequest request(const std::string& password = "secret") {
        OpenRequest r;
        r.baseDirectory = dir.path();
        r.userId = "USER0001";
        r.password = password;
        return r;
    }
    std::unique_ptr<CTolDoc> create() {
        auto result = CTolDoc::open(request(), registry);
        EXPECT_TRUE(result.doc) << sjisToUtf8(result.error);
        EXPECT_TRUE(result.created);
        return std::move(result.doc);
    }
    std::filesystem::path file(const std::string& name) { return dir / "USER0001" / name; }
};

TEST_F(DocumentTest, NewUserStartsWithTheDefaultDataSet) {
    auto doc = create();
    const CItemArray& tree = doc->tree();
    ASSERT_EQ(tree.size(), 16);
    EXPECT_TRUE(tree.linksValid());
    EXPECT_TRUE(tree.item(0).hasFlag(ITEM_FLAG_ROOT));
    EXPECT_EQ(tree.item(0).validatePlace(), 0);
    EXPECT_EQ(tree.item(2).m_nKind, kind::kReceivedMail);
    EXPECT_EQ(tree.item(2).m_nReserve, 257);  // "未読ﾒｰﾙを読む", the first entry of its menu
    EXPECT_EQ(tree.item(12).m_nReserve, 257);
    EXPECT_EQ(tree.item(3).m_nBody, 1);
    EXPECT_EQ(tree.item(14).m_nParent, 1);
    EXPECT_EQ(tree.item(15).m_szID.view(), "~TRASH");
    EXPECT_EQ(doc->menu(kind::kRoom).entries().size(), 3u);
    EXPECT_EQ(doc->menu(kind::kReceivedMail).find(257)->priority, 1);
    EXPECT_TRUE(doc->menu(kind::kSentMail).entries().empty());
    ASSERT_EQ(doc->deleteRules().rules().size(), 3u);
    EXPECT_EQ(doc->deleteRules().rules()[2].days, 90);
    EXPECT_EQ(doc->deleteRules().rules()[2].id, 259);
    EXPECT_EQ(doc->patterns().at(0).name, sj("標準の予約ﾊﾟﾀｰﾝ"));
    EXPECT_EQ(doc->addressBook().nodes().at(0).name, sj("ｱﾄﾞﾚｽ帳"));
    EXPECT_EQ(doc->generation(), 1);

    // Templates 1 ... 7 with their files, the fields marked by 0x01 and 0x02.
    std::string text;
    ASSERT_TRUE(readWholeFile(file("~T000002.MSG"), text));
    EXPECT_EQ(text, sj("\x01相手ﾊﾝﾄﾞﾙ名\x02 さん、こんにちは。\r\n\r\n\r\n\x01私のﾊﾝﾄﾞﾙ名\x02\r\n"));
    ASSERT_TRUE(readWholeFile(file("~T000006.MSG"), text));
    EXPECT_EQ(text.find('('), std::string::npos);
    const std::pair<int, int> slots[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0},
                                         {4, 0}, {5, 0}, {4, 0}, {5, 0}, {4, 0}, {5, 0}};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(doc->templateSlots()[i].first, slots[i].first) << i;
    CItemArray* templates = doc->openList(4);
    ASSERT_TRUE(templates);
    EXPECT_EQ(templates->size(), 8);
    EXPECT_EQ(templates->item(7).m_nAux, 0x6006);
    EXPECT_EQ(templates->item(7).m_szName.view(), sj("発言者へのﾒｰﾙ送信用"));
    EXPECT_TRUE(templates->item(7).m_szTitle.empty());  // mails from it keep their own titles
    doc->closeList(templates);

    // The welcome message waits unread in the received mail.
    CItemArray* mail = doc->openList(2);
    ASSERT_TRUE(mail);
    ASSERT_EQ(mail->size(), 2);
    EXPECT_TRUE(mail->item(1).isUnread());
    EXPECT_EQ(mail->item(1).m_szTitle.view(), sj("Morvaline へようこそ"));
    EXPECT_NE(mail->readText(mail->item(1).m_nOffset, mail->item(1).m_nLength)->find("Morvaline"),
              std::string::npos);
    doc->closeList(mail);

    EXPECT_EQ(registry.readInt("USER0001", "CloseSuccess", -1), 0);
    doc->close();
    EXPECT_EQ(registry.readInt("USER0001", "CloseSuccess", -1), 1);
}

TEST_F(DocumentTest, OpeningChecksPasswordLockAndCleanEnd) {
    create()->close();
    auto wrong = CTolDoc::open(request("other"), registry);
    EXPECT_FALSE(wrong.doc);
    EXPECT_EQ(wrong.error, sj("ﾊﾟｽﾜｰﾄﾞが間違っています"));

    auto first = CTolDoc::open(request(), registry);
    ASSERT_TRUE(first.doc);
    EXPECT_FALSE(first.askFileCheck);
    auto second = CTolDoc::open(request(), registry);
    EXPECT_FALSE(second.doc);  // one writer per data set
    EXPECT_EQ(second.errorId, texts::kUserInUse.id);
    first.doc.reset();  // ends without close: as after a crash

    auto third = CTolDoc::open(request(), registry);
    ASSERT_TRUE(third.doc);
    EXPECT_TRUE(third.askFileCheck);
    third.doc->close();
}

TEST_F(DocumentTest, MissingUsersAreCreatedOnlyWithAPasswordThatFits) {
    auto none = CTolDoc::open(request(""), registry);
    EXPECT_FALSE(none.doc);
    EXPECT_EQ(none.errorId, texts::kNoUserFiles.id);
    EXPECT_FALSE(std::filesystem::exists(dir / "USER0001"));

    OpenRequest automatic = request();
    automatic.automatic = true;
    EXPECT_FALSE(CTolDoc::open(automatic, registry).doc);

    auto tooLong = CTolDoc::open(request(std::string(25, 'p')), registry);
    EXPECT_EQ(tooLong.errorId, texts::kPasswordTooLong.id);
    EXPECT_FALSE(std::filesystem::exists(dir / "USER0001"));

    OpenRequest noBase = request();
    noBase.baseDirectory = dir / "missing";
    EXPECT_EQ(CTolDoc::open(noBase, registry).errorId, texts::kNoDataDirectory.id);
    OpenRequest escape = request();
    escape.userId = "../x";
    EXPECT_EQ(CTolDoc::open(escape, registry).errorId, texts::kBadUserId.id);

    auto exact = CTolDoc::open(request(std::string(24, 'p')), registry);
    ASSERT_TRUE(exact.doc);
    exact.doc->close();
    EXPECT_TRUE(CTolDoc::open(request(std::string(24, 'p')), registry).doc);
}

TEST_F(DocumentTest, SavesRotateThreeBackups) {
    auto doc = create();  // the first save happened while building the user
    std::string previous;
    ASSERT_TRUE(readWholeFile(file("USER0001.KVR"), previous));
    for (int n = 1; n <= 3; ++n) {
        doc->setInteger(20, n);  // something to tell the versions apart
        ASSERT_TRUE(doc->save());
    }
    std::string bk3, bk2, bk1;
    ASSERT_TRUE(readWholeFile(file("USER0001.BK3"), bk3));
    ASSERT_TRUE(readWholeFile(file("USER0001.BK2"), bk2));
    ASSERT_TRUE(readWholeFile(file("USER0001.BK1"), bk1));
    EXPECT_EQ(bk3, previous);
    doc->setInteger(20, 4);
    ASSERT_TRUE(doc->save());
    std::string newest3;
    ASSERT_TRUE(readWholeFile(file("USER0001.BK3"), newest3));
    EXPECT_EQ(newest3, bk2);  // the oldest dropped out
    doc->close();

    auto again = CTolDoc::open(request(), registry);
    ASSERT_TRUE(again.doc);
    EXPECT_EQ(again.doc->integer(20), 4);
}

TEST_F(DocumentTest, ADamagedOrLostDocumentOffersItsNewestLoadingBackupAndRestoresIt) {
    auto doc = create();
    for (int n = 1; n <= 2; ++n) {
        doc->setInteger(20, n);
        ASSERT_TRUE(doc->save());
    }
    doc->close();
    doc.reset();
    // BK1 holds 1, BK2 the new user; BK1 is damaged too, so BK2 is the newest that loads.
    std::string document, bk1;
    ASSERT_TRUE(readWholeFile(file("USER0001.KVR"), document));
    ASSERT_TRUE(readWholeFile(file("USER0001.BK1"), bk1));
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), document.substr(0, document.size() / 2)));
    ASSERT_TRUE(writeFileAtomically(file("USER0001.BK1"), bk1.substr(0, 100)));

    auto damaged = CTolDoc::open(request(), registry);
    EXPECT_FALSE(damaged.doc);
    EXPECT_EQ(damaged.errorId, texts::kDocumentDamaged.id);
    ASSERT_TRUE(damaged.backup);
    EXPECT_EQ(damaged.backup->number, 2);
    EXPECT_GT(damaged.backup->saved, 0);
    EXPECT_FALSE(CTolDoc::open(request("other"), registry).backup);  // not with this password

    EXPECT_EQ(CTolDoc::restoreBackup(request(), registry, 1).status, RestoreResult::Status::NoBackup);
    const RestoreResult restored = CTolDoc::restoreBackup(request(), registry, 0);
    ASSERT_EQ(restored.status, RestoreResult::Status::Restored);
    EXPECT_EQ(restored.backup.number, 2);
    EXPECT_EQ(restored.kept, file("USER0001.KVR.damaged"));
    std::string kept;
    ASSERT_TRUE(readWholeFile(restored.kept, kept));
    EXPECT_EQ(kept, document.substr(0, document.size() / 2));
    auto opened = CTolDoc::open(request(), registry);
    ASSERT_TRUE(opened.doc) << sjisToUtf8(opened.error);
    EXPECT_EQ(opened.doc->integer(20), 0);

    // Not while the data set is open; a lost document is offered its backup too, and a
    // second restore keeps the document it replaces under the next free name.
    EXPECT_EQ(CTolDoc::restoreBackup(request(), registry, 2).status, RestoreResult::Status::InUse);
    opened.doc->close();
    opened.doc.reset();
    std::filesystem::remove(file("USER0001.KVR"));
    EXPECT_EQ(CTolDoc::open(request(), registry).backup->number, 2);
    EXPECT_TRUE(CTolDoc::restoreBackup(request(), registry, 2).kept.empty());
    EXPECT_EQ(CTolDoc::restoreBackup(request(), registry, 2).kept, file("USER0001.KVR (2).damaged"));
}

TEST_F(DocumentTest, ReadersShareADataSetThatItsWriterHasAlone) {
    create()->close();
    OpenRequest reading = request();
    reading.readOnly = true;
    auto first = CTolDoc::open(reading, registry);
    auto second = CTolDoc::open(reading, registry);
    ASSERT_TRUE(first.doc);
    ASSERT_TRUE(second.doc);
    EXPECT_EQ(CTolDoc::open(request(), registry).errorId, texts::kUserInUse.id);
    EXPECT_FALSE(first.doc->save());  // a reader writes nothing
    first.doc->close();
    second.doc->close();
    auto writer = CTolDoc::open(request(), registry);
    ASSERT_TRUE(writer.doc);
    EXPECT_EQ(CTolDoc::open(reading, registry).errorId, texts::kUserInUse.id);
    writer.doc->close();
}

// The head of a document of the given version: magic, version, times and integers.
std::string documentHead(std::int32_t version) {
    test::ByteBuilder b;
    b.u32(0xAAAAAAAA).i32(version);
    b.i32(7);
    for (int i = 0; i < 7; ++i) b.i64(0);
    b.i32(73);
    for (int i = 0; i < 73; ++i) b.i32(i == 27 ? 5 : 0);  // generation 5
    return b.bytes();
}

TEST_F(DocumentTest, OlderVersionsAreBroughtUpToDateAndNewerOnesRefused) {
    auto doc = create();
    const std::string current = doc->serializeToBytes();
    doc->close();
    // The password block is the program's own scramble: take it from a document we wrote.
    // It follows the magic, version, 7 times and 73 integers.
    const std::size_t blockAt = 4 + 4 + 4 + 7 * 8 + 4 + 73 * 4;
    const std::string passwordBlock = current.substr(blockAt, 112 * 4);

    test::ByteBuilder b;
    b.raw(documentHead(11)).raw(passwordBlock);
    b.i32(10).str("LUDRIX.LOG");
    for (int i = 1; i < 10; ++i) b.str("");
    b.i32(0).raw(std::string(180, '\0'));     // block section
    b.i32(13);
    for (int i = 0; i < 13; ++i) b.i32(1).i32(0);
    b.i32(18);
    for (int i = 0; i < 18; ++i) b.i32(0);
    b.i32(25);
    for (int i = 0; i < 25; ++i) b.i32(0);
    b.i32(8);
    for (int i = 0; i < 8; ++i) b.i64(0);
    b.u32(0xAAAAAAAA);                        // no child windows
    for (int i = 0; i < 27; ++i) b.i32(0);    // the main window
    b.u32(0xAAAAAAAA);
    b.i32(0);                                 // triples
    b.i32(1).str("old event").i64(5).i32(14); // event log
    b.i32(0).i32(0);                          // two maps
    b.i32(1).str("Friend").str("ABC01234");   // the old address list
    b.i32(0).i32(0).i32(4).i32(0).i32(0).i32(0).i32(0);  // recent strings, pairs, four integers
    // The place tree: a root with the old root ID and one folder.
    test::ItemRecord root;
    root.kind = kind::kRoot;
    root.child = 1;
    root.strings[0] = "ROOT";
    test::ItemRecord folder;
    folder.parent = 0;
    folder.kind = kind::kFolder;
    folder.strings[1] = sj("ｻｰﾋﾞｽ案内");
    b.u16(2).newClass("CItem");
    root.appendTo(b);
    b.classRef(1);
    folder.appendTo(b);
    b.i32(-2).i32(6).i32(6).i32(-1).i32(0).i32(-1).i32(300).i32(0).i32(0).i32(0).i32(1).i64(0).i32(0);
    b.i32(19);
    for (int i = 0; i < 19; ++i) b.u16(0).i32(256).i32(0);  // empty menus
    b.u16(0);                                                // receive rules
    b.u16(0);                                                // patterns (no send rules before 52)
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), b.bytes()));

    auto loaded = CTolDoc::open(request(), registry);
    ASSERT_TRUE(loaded.doc) << sjisToUtf8(loaded.error);
    CTolDoc& old = *loaded.doc;
    EXPECT_EQ(old.generation(), 5);
    EXPECT_EQ(old.tree().item(0).m_szID.view(), "MAIN");
    EXPECT_TRUE(old.tree().item(0).hasFlag(ITEM_FLAG_ROOT));
    EXPECT_GE(old.tree().findKind(kind::kTrash), 0);
    EXPECT_EQ(old.deleteRules().rules().size(), 3u);
    // Version 11 had every menu entry already: none is added.
    EXPECT_TRUE(old.menu(kind::kIdMail).entries().empty());
    EXPECT_TRUE(old.menu(kind::kRoom).entries().empty());
    EXPECT_EQ(old.addressBook().nodes().size(), 2u);
    EXPECT_EQ(old.addressBook().nodes()[1].address, "ABC01234");
    EXPECT_EQ(old.eventLog().entries().front().text, "old event");
    EXPECT_TRUE(old.tree().linksValid());
    old.close();

    // Version 9 also gains the clipping place and the service places under "ｻｰﾋﾞｽ案内".
    std::string v9 = b.bytes();
    v9[4] = 9;
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), v9));
    auto nine = CTolDoc::open(request(), registry);
    ASSERT_TRUE(nine.doc);
    EXPECT_GE(nine.doc->tree().findId("CLIP"), 0);
    EXPECT_EQ(nine.doc->tree().item(nine.doc->tree().findId("~U000001")).m_strPath, "SIG");
    EXPECT_EQ(nine.doc->tree().item(nine.doc->tree().findId("~U000001")).m_nParent, 1);
    EXPECT_EQ(nine.doc->menu(kind::kIdMail).entries().size(), 1u);  // "調べる" came with 11
    EXPECT_TRUE(nine.doc->menu(kind::kClipping).entries().empty());  // version 9 had these
    nine.doc->close();

    std::string v64 = b.bytes();
    v64[4] = 64;
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), v64));
    EXPECT_EQ(CTolDoc::open(request(), registry).errorId, texts::kDocumentTooNew.id);
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), "not a document at all"));
    EXPECT_EQ(CTolDoc::open(request(), registry).errorId, texts::kNotADocument.id);
    const std::string cut = b.bytes().substr(0, b.bytes().size() - 20);
    ASSERT_TRUE(writeFileAtomically(file("USER0001.KVR"), cut));
    EXPECT_EQ(CTolDoc::open(request(), registry).errorId, texts::kDocumentDamaged.id);
    std::string left;
    ASSERT_TRUE(readWholeFile(file("USER0001.KVR"), left));
    EXPECT_EQ(left, cut);  // a damaged document stays as it was, for the file check
}

TEST_F(DocumentTest, FileNumbersWrapAndSkipNamesInUse) {
    auto doc = create();
    doc->setInteger(docint::kCounterC, 999999);
    ASSERT_TRUE(writeFileAtomically(file("~C000001.MSG"), "taken"));
    EXPECT_EQ(doc->nextFileNumber(FileCounter::C), 2);
    EXPECT_EQ(doc->nextFileNumber(FileCounter::T), 8);  // seven templates took 1 ... 7
    const int place = doc->addUnknownPlace(0, "Somewhere", "SOME/PATH");
    EXPECT_EQ(doc->tree().item(place).m_szID.view(), "~U000001");
    EXPECT_EQ(doc->tree().item(place).m_strPath, "SOME/PATH");
    doc->close();
}

TEST_F(DocumentTest, MessageListsAreSharedAndDamagedOnesReported) {
    auto doc = create();
    CItemArray* a = doc->openList(2);
    CItemArray* b = doc->openList(2);
    ASSERT_EQ(a, b);
    const int added = a->add(0, 1, 0, "X", "new", kind::kReceivedMailMessage, 0);
    doc->closeList(a);
    EXPECT_EQ(b->size(), added + 1);  // still open for its second user
    doc->closeList(b);
    EXPECT_EQ(doc->openExistingList(5, false), nullptr);  // a folder holds no list

    ASSERT_TRUE(writeFileAtomically(file("MAIL.IA0"), "garbage"));
    EXPECT_EQ(doc->openList(2), nullptr);
    EXPECT_EQ(doc->eventLog().entries().back().text, sj("MAIL.IA0 ﾌｧｲﾙの読み出しに失敗しました"));
    ListLoad outcome;
    EXPECT_EQ(doc->openExistingList(2, false, &outcome), nullptr);
    EXPECT_EQ(outcome, ListLoad::Damaged);

    // A list file that is gone while its texts remain is lost, not new: nothing replaces it.
    std::filesystem::remove(file("MAIL.IA0"));
    EXPECT_EQ(doc->openList(2), nullptr);
    EXPECT_EQ(doc->openExistingList(2, false, &outcome), nullptr);
    EXPECT_EQ(outcome, ListLoad::Lost);
    EXPECT_FALSE(std::filesystem::exists(file("MAIL.IA0")));

    // A new list is on disk before any text goes into its text file.
    CItemArray* sent = doc->openList(14);
    ASSERT_TRUE(sent);
    EXPECT_TRUE(std::filesystem::exists(file("MAIL.UA0")));
    doc->closeList(sent);
    doc->close();
}

TEST(PlaceFiles, NamesFollowKindNumberAndFlags) {
    struct Case {
        const char* id;
        int kind, number;
        std::uint32_t flags;
        int forum;
        const char* list;
        const char* text;
    } cases[] = {
        {"MAIL", kind::kReceivedMail, 0, 0, 0, "MAIL.IA0", "MAIL.JA0"},
        {"CLIP", kind::kClipping, 3, 0, 0, "CLIP.SA0", "CLIP.TA0"},
        {"MAIL", kind::kReceivedMail, 0, ITEM_FLAG_HIDDEN, 0, "MAIL.SA0", "MAIL.TA0"},
        {"FOR/UM", kind::kRoom, 27, 0, 0, "FORUM.EB1", "FORUM.FB1"},
        {"FORUM", kind::kRoom, 1, 0, 2, "FORUM.EB0C", "FORUM.FB0C"},
        {"CLUB", kind::kClub, 0, 0, 0, "CLUB.2A0", "CLUB.3A0"},
        {"CIRCLE", kind::kCircle, 0, 0, 0, "CIRCLE.4A0", "CIRCLE.5A0"},
        {"FORUM", kind::kForum, 0, 0, 0, "FORUM.0A0", "FORUM.1A0"},
    };
    for (const Case& c : cases) {
        const auto names = placeFileNames(c.id, c.kind, c.number, c.flags, c.forum);
        ASSERT_TRUE(names) << c.list;
        EXPECT_EQ(names->list, c.list);
        EXPECT_EQ(names->text, c.text);
    }
    EXPECT_FALSE(placeFileNames("ROOM", kind::kRoom, 26 * 79, 0, 0));  // third letter past "~"
    EXPECT_TRUE(placeFileNames("ROOM", kind::kRoom, 26 * 79 - 1, 0, 0));
    EXPECT_FALSE(placeFileNames("ROOM", kind::kRoom, 1, 0, 62));
    EXPECT_FALSE(placeFileNames("BAD\x01", kind::kRoom, 1, 0, 0));
    EXPECT_FALSE(placeFileNames("ROOM", kind::kRoom, -1, 0, 0));
}

}  // namespace
}  // namespace morvaline

namespace morvaline {
namespace {

TEST_F(DocumentTest, PatternsSwitchReservationsBackAndForth) {
    auto doc = create();
    CItemArray& tree = doc->tree();
    const int second = doc->addPattern("weekend");
    // The standard pattern: mail and notices reserved (as built).
    ASSERT_TRUE(doc->selectPattern("weekend"));
    EXPECT_EQ(doc->currentPattern(), second);
    EXPECT_FALSE(tree.item(2).isReserved());  // the new pattern reserves nothing yet
    tree.setReserve(10, 257);                 // billing only
    ASSERT_TRUE(doc->selectPattern(sj("標準の予約ﾊﾟﾀｰﾝ")));
    EXPECT_EQ(tree.item(2).m_nReserve, 257);
    EXPECT_EQ(tree.item(12).m_nReserve, 257);
    EXPECT_FALSE(tree.item(10).isReserved());
    ASSERT_TRUE(doc->selectPattern("weekend"));
    EXPECT_EQ(tree.item(10).m_nReserve, 257);
    EXPECT_FALSE(tree.item(2).isReserved());
    EXPECT_FALSE(doc->selectPattern("missing"));
    EXPECT_EQ(doc->eventLog().entries().back().text, sj("指定した予約ﾊﾟﾀｰﾝ 'missing' は見つかりませんでした"));
    EXPECT_EQ(doc->currentPattern(), second);
    doc->close();
}

}  // namespace
}  // namespace morvaline
