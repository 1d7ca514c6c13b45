#include "store/item.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "store/archive.h"
#include "item_fixtures.h"

namespace morvaline {
namespace {

CItem load(const std::string& bytes) {
    ArchiveReader r(bytes);
    CItem item;
    item.deserialize(r);
    EXPECT_EQ(r.remaining(), 0u);
    return item;
}

TEST(Item, RecordsOfOlderAndNewerVersionsLoad) {
    test::ItemRecord old;  // 26 integers: no deletion rule
    old.number = 12;
    old.strings[1] = "title";
    test::ByteBuilder b26;
    old.appendTo(b26);
    const CItem a = load(b26.bytes());
    EXPECT_EQ(a.m_nDeleteRule, 0);
    EXPECT_EQ(a.m_nNumber, 12);
    EXPECT_EQ(a.m_szTitle.view(), "title");

    test::ItemRecord newer;  // 30 integers and 9 strings: the extras are skipped
    newer.moreInts = {7, 100, 200, 300};
    newer.strings = {"ID", "T", "name", "text", "path", "code", "extra", "s8", "s9"};
    newer.date = 1234567;
    test::ByteBuilder b30;
    newer.appendTo(b30);
    const CItem c = load(b30.bytes());
    EXPECT_EQ(c.m_nDeleteRule, 7);
    EXPECT_EQ(c.m_szCode.view(), "code");
    EXPECT_EQ(c.m_strExtra, "extra");
    EXPECT_EQ(c.m_ftDate, 1234567);
}

TEST(Item, LongStoredTextsAreCutWithoutSplittingACharacter) {
    test::ItemRecord r;
    r.strings[1] = std::string(80, 'x');               // title of 80 bytes
    r.strings[0] = "A" + sj("電子電子電子電子電子"); // ID of 21 bytes: the cut falls inside a character
    test::ByteBuilder b;
    r.appendTo(b);
    const CItem item = load(b.bytes());
    EXPECT_EQ(item.m_szTitle.size(), 72u);
    EXPECT_EQ(item.m_szID.view(), "A" + sj("電子電子電子電子電"));
}

TEST(Item, ClubPasswordIsStoredPackedAndComesBack) {
    CItem club(0, 5, 0, "CLUB1", "Club", kind::kClub, 0, 0, {}, "pw#12345");
    ArchiveWriter w;
    club.serialize(w);
    ArchiveReader r(w.bytes());
    r.readInt32();
    r.readInt32();
    const std::uint32_t word0 = r.readUInt32(), word1 = r.readUInt32();
    EXPECT_FALSE(word0 == 0 && word1 == 0);
    EXPECT_EQ(w.bytes().find("pw#12345"), std::string::npos);  // the code string is written empty
    EXPECT_EQ(load(w.bytes()).m_szCode.view(), "pw#12345");

    std::uint32_t a = 1, b = 1;
    packCode("", a, b);
    EXPECT_EQ(a | b, 0u);
    for (const std::string code : {"a", "ABCDEFGH", "\xFF\x01\x80", "\xA6\x89\x6C"}) {
        packCode(code, a, b);
        EXPECT_NE(a | b, 0u) << code;
        EXPECT_EQ(unpackCode(a, b), code);
    }
}

TEST(Item, ValidationNamesTheFirstBrokenRule) {
    struct Case {
        const char* what;
        void (*change)(CItem&);
        int error;
    } cases[] = {
        {"parent", [](CItem& i) { i.m_nParent = -2; }, 200},
        {"number", [](CItem& i) { i.m_nNumber = -1; }, 204},
        {"kind too low", [](CItem& i) { i.m_nKind = -29; }, 207},
        {"kind too high", [](CItem& i) { i.m_nKind = 19; }, 208},
        {"long text", [](CItem& i) { i.m_strText = std::string(20000, 'x'); }, 216},
        {"path", [](CItem& i) { i.m_strPath = std::string(260, 'p'); }, 218},
        {"length", [](CItem& i) { i.m_nLength = -2; }, 221},
    };
    for (const Case& c : cases) {
        CItem item(0, 1, 0, "ID", "title", kind::kForumMessage, 1, 0);
        c.change(item);
        EXPECT_EQ(item.validate(), c.error) << c.what;
    }
    EXPECT_EQ(CItem(0, 0, 0, "", "", kind::kTemplate, 0, 0).validatePlace(), 300);
    EXPECT_EQ(CItem(0, 0, 0, "", "", kind::kReceivedMail, 0, 0).validateMessage(), 400);
    CItem comment(0, 3, 0, "", "", kind::kForumMessage, 1, 0);
    comment.m_nTarget = 5;
    EXPECT_EQ(comment.validateMessage(), 611);
    CItem root(-1, 0, 0, "MAIN", "LUDRIX", kind::kRoot, 0, 0, {}, {}, 0);
    root.m_nChild = 1;
    EXPECT_EQ(root.validatePlace(), 0);
    root.m_nChild = 2;
    EXPECT_EQ(root.validatePlace(), 301);
}

TEST(Item, MasksSelectWhatIsCopiedAndCompared) {
    CItem source(3, 42, 100, "SENDER", "Subject", kind::kReceivedMailMessage, 5, 777, "Name");
    source.m_nSpare[2] = 9;
    source.m_strExtra = "spare";
    const CItem copy(source, copy::kNumber | copy::kTitle);
    EXPECT_EQ(copy.m_nNumber, 42);
    EXPECT_EQ(copy.m_szTitle.view(), "Subject");
    EXPECT_EQ(copy.m_nParent, -1);           // cleared bits take creation defaults
    EXPECT_TRUE(copy.m_szID.empty());
    EXPECT_EQ(copy.m_nSpare[2], 9);          // spares are always copied
    EXPECT_EQ(copy.m_strExtra, "spare");

    CItem other = source;
    other.m_nOffset = 5;
    EXPECT_TRUE(other.equals(source, copy::kNumber | copy::kId | copy::kDate));
    EXPECT_FALSE(other.equals(source, copy::kOffset));
    EXPECT_FALSE(other.equals(source, copy::kGenerationsDiffer));
    other.m_nGeneration = 2;
    EXPECT_TRUE(other.equals(source, copy::kGenerationsDiffer));

    EXPECT_FALSE(other.setFlags(ITEM_FLAG_READ, 0));
    EXPECT_TRUE(other.setFlags(ITEM_FLAG_READ | ITEM_FLAG_MARKED, ITEM_FLAG_READ));
    EXPECT_EQ(other.m_dwFlags, ITEM_FLAG_READ);
}

}  // namespace
}  // namespace morvaline
