// Decoding received internet mail. The first mails are real-world shaped; their bodies
// and attachments are what Python's email package extracts from them (the raw
// ISO-2022-JP file name, which Python leaves undecoded, excepted).

#include "message/mime_mail.h"
#include "message/attachment.h"
#include "message/mail_display.h"
#include "message/mime_part.h"
#include "message/mime_repair.h"
#include "message/mime_token.h"
#include "platform/text_codec.h"
#include "store/item_kinds.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

using namespace std::string_literals;

const std::string kPng =
    "\x89PNG\r\n\x1A\n\x00\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0B\x0C\r\x0E\x0F\x10\x11\x12\x13"s;

const std::string kMixedJapanese =
    "From: sender@example.jp\r\nSubject: =?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=\r\nMIME-Version: "
    "1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\nThis is a multi-part message in MIME "
    "format.\r\n\r\n"
    "--b1\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: "
    "7bit\r\n\r\n"
    "\x1B$B;qNA$rAw$j$^$9!#\x1B(B\r\n\x1B$B$h$m$7$/!#\x1B(B\r\n\r\n"
    "--b1\r\nContent-Type: application/pdf; name=\"=?ISO-2022-JP?B?GyRCSnM5cD1xGyhCLnBkZg==?=\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; "
    "filename=\"=?ISO-2022-JP?B?GyRCSnM5cD1xGyhCLnBkZg==?=\"\r\n\r\n"
    "iVBORw0KGgoAAQIDBAUGBwgJCgsMDQ4PEBESEw==\r\n\r\n"
    "--b1\r\nContent-Type: text/plain; name=\"\x1B$B%a%b\x1B(B.txt\"\r\nContent-Transfer-Encoding: "
    "quoted-printable\r\n\r\n"
    "caf=E9=00end=\r\n line\r\n\r\n--b1--\r\n";

const std::string kForward =
    "From: a@example.jp\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; "
    "boundary=\"outer\"\r\n\r\n"
    "--outer\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n\r\n\x1B$BE>Aw$7$^$9!#\x1B(B\r\n"
    "--outer\r\nContent-Type: message/rfc822\r\n\r\nFrom: b@example.jp\r\nSubject: "
    "original\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
    "--inner\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain version\r\n"
    "--inner\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<p>html "
    "version</p>\r\n--inner--\r\n"
    "--outer\r\nContent-Type: image/png; name=\"pic.png\"\r\nContent-Transfer-Encoding: "
    "base64\r\n\r\n"
    "iVBORw0KGgoAAQIDBAUGBwgJCgsMDQ4PEBESEw==\r\n--outer--\r\n";

TEST(MimeMail, MixedMailWithJapaneseNames) {
    AttachmentList list;
    EXPECT_EQ(DecodeMimeMail(kMixedJapanese, &list), sj("資料を送ります。\r\nよろしく。\r\n"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, sj("報告書.pdf"));
    EXPECT_EQ(list[0].kind, AttachmentKind::Base64);
    EXPECT_EQ(DecodeAttachment(list[0]), kPng);
    EXPECT_EQ(list[1].name, sj("メモ.txt"));
    // Quoted-printable binary keeps the bytes after a NUL.
    EXPECT_EQ(DecodeAttachment(list[1]),
              "caf\xE9\x00"
              "end line\r\n"s);
}

TEST(MimeMail, ForwardedMessageContributesItsOwnLeaves) {
    // The inner closing delimiter is directly followed by the outer one: the picture after
    // it must not be lost.
    AttachmentList list;
    EXPECT_EQ(DecodeMimeMail(kForward, &list), sj("転送します。"));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].data, "plain version");
    EXPECT_EQ(list[0].name, sj("添付されたﾃｷｽﾄ.txt"));
    EXPECT_EQ(list[1].data, "<p>html version</p>");
    EXPECT_EQ(list[1].name, sj("添付されたﾃｷｽﾄ.htm"));
    EXPECT_EQ(list[2].name, "pic.png");
    EXPECT_EQ(DecodeAttachment(list[2]), kPng);
}

struct MailRow {
    const char* fault;
    std::string mail;
    const char* bodyUtf8;
    std::vector<std::string> names;  // of the attachments, UTF-8
};

const std::string kHead =
    "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n";
const std::string kTextPart = "--XX\r\nContent-Type: text/plain\r\n\r\nt\r\n";

const MailRow kMails[] = {
    {"mail without MIME header not read as text/plain",
     "Subject: hi\r\n\r\n\x1B$BF|K\\\x1B(B\r\nbegin 644 f\r\n`\r\nend\r\n",
     "日本\r\n",
     {"f"}},
    {"MIME version 2.0 accepted",
     "MIME-Version: 2.0\r\nContent-Type: text/plain\r\n\r\nbody",
     "(本文なし)\r\n",
     {"添付されたﾌｧｲﾙ.txt"}},
    {"lines after a dangling semicolon still read",
     "Content-Type: text/plain;\r\nContent-Transfer-Encoding: base64\r\n\r\nGyRCRnxLXBsoQg==",
     "GyRCRnxLXBsoQg==",
     {}},
    {"delimiter right after the empty line missed",
     kHead + "--XX\r\nContent-Type: text/plain\r\n\r\nfirst\r\n--XX\r\nA: "
             "b\r\n\r\nsecond\r\n--XX--\r\n",
     "first",
     {"添付されたﾃｷｽﾄ.txt"}},
    {"missing closing delimiter loses the parts before it",
     kHead + "--XX\r\nA: b\r\n\r\nfirst\r\n--XX\r\nContent-Type: image/gif; "
             "name=a.gif\r\n\r\nGIF\r\n--XX\r\n\r\nlost",
     "first",
     {"a.gif"}},
    {"inner boundary taken for the outer one",
     kHead + "--XX\r\nContent-Type: multipart/alternative; boundary=\"XX-in\"\r\n\r\n--XX-in\r\nA: "
             "b\r\n\r\nalt\r\n--XX-in--\r\n"
             "--XX\r\nContent-Type: image/gif; name=b.gif\r\n\r\nGIF\r\n--XX--\r\n",
     "alt",
     {"b.gif"}},
    {"name preferred over filename",
     kHead + kTextPart +
         "--XX\r\nContent-Type: image/gif; name=\"n.gif\"\r\n"
         "Content-Disposition: attachment; filename=\"f.gif\"\r\n\r\nGIF\r\n--XX--\r\n",
     "t",
     {"f.gif"}},
    {"path parts and wildcards kept in names",
     kHead + kTextPart +
         "--XX\r\nContent-Type: image/gif; name=\"..\\\\dir/C:x*y?.gif\"\r\n\r\nG\r\n"
         "--XX\r\nContent-Type: image/gif; name=\"%HOME%..\"\r\n\r\nG\r\n--XX--\r\n",
     "t",
     {"x y .gif", "%HOME%.."}},
    {"BinHex named like any file",
     kHead + kTextPart +
         "--XX\r\nContent-Type: application/mac-binhex40; name=\"a.sit\"\r\n\r\nx\r\n--XX--\r\n",
     "t",
     {"BinHexでｴﾝｺｰﾄﾞされたﾌｧｲﾙ(a.sit).hqx"}},
    {"x-uuencode part renamed by a begin line it lacks",
     kHead + kTextPart +
         "--XX\r\nContent-Type: application/octet-stream; name=\"u.bin\"\r\n"
         "Content-Transfer-Encoding: x-uuencode\r\n\r\nno block here\r\n--XX--\r\n",
     "t",
     {"u.bin"}},
    {"part without header lines misses its defaults",
     kHead + "--XX\r\n\r\nbody\r\n\r\nafter\r\n--XX--\r\n",
     "after",
     {}},
    {"base64 text body shown undecoded",
     "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\nGyRCRnxLXBsoQg==\r\n",
     "日本",
     {}},
};

TEST(MimeMail, DecodesEdgeCases) {
    for (const auto& row : kMails) {
        SCOPED_TRACE(row.fault);
        AttachmentList list;
        EXPECT_EQ(DecodeMimeMail(row.mail, &list), sj(row.bodyUtf8));
        ASSERT_EQ(list.size(), row.names.size());
        for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].name, sj(row.names[i]));
    }
}

TEST(MimeMail, CraftedNestingAndPartCountStayBounded) {
    const int levels = 2000;
    std::string deep = "Content-Type: multipart/mixed; boundary=\"b0\"\r\n\r\n";
    for (int i = 0; i < levels; ++i)
        deep += "--b" + std::to_string(i) + "\r\nContent-Type: multipart/mixed; boundary=\"b" +
                std::to_string(i + 1) + "\"\r\n\r\n";
    deep += "leaf";
    for (int i = levels - 1; i >= 0; --i) deep += "\r\n--b" + std::to_string(i) + "--";
    AttachmentList list;
    EXPECT_EQ(DecodeMimeMail(deep, &list), sj("(本文なし)\r\n"));
    ASSERT_EQ(list.size(), 1u);  // the multipart at the depth limit is a leaf
    EXPECT_TRUE(list[0].data.starts_with("--b" + std::to_string(kMaxMimeDepth)));

    std::string wide = kHead;
    for (int i = 0; i < 5000; ++i) wide += "--XX\r\n\r\nx\r\n";
    list.clear();
    DecodeMimeMail(wide + "--XX--\r\n", &list);
    EXPECT_EQ(list.size(), kMaxMimeParts - 1);  // the first part is the body

    std::string forwards;
    for (int i = 0; i < 2000; ++i) forwards += "Content-Type: message/rfc822\r\n\r\n";
    list.clear();
    EXPECT_EQ(DecodeMimeMail(forwards + "\r\ninner", &list), sj("(本文なし)\r\n"));
}

TEST(MimeToken, ReadsEveryKind) {
    const std::string value = " atom (c (nested) \\) x) \"q\\\"\" [lit] ;\x01";
    std::size_t pos = 0;
    std::vector<std::pair<MimeTokenType, std::string>> tokens;
    for (;;) {
        auto token = NextMimeToken(MimeTokenMode::Atom, value, pos);
        tokens.emplace_back(token.type, token.text);
        pos = token.next;
        if (token.type == MimeTokenType::End || tokens.size() > 10) break;
    }
    const std::vector<std::pair<MimeTokenType, std::string>> expected = {
        {MimeTokenType::Atom, "atom"},
        {MimeTokenType::Comment, "c (nested) ) x"},
        {MimeTokenType::QuotedString, "q\\"},
        {MimeTokenType::Atom, "\""},
        {MimeTokenType::End, ""}};
    // The quoted string stops at the first quote in single-byte mode, escaped or not.
    ASSERT_GE(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], expected[0]);
    EXPECT_EQ(tokens[1], expected[1]);
    EXPECT_EQ(tokens[2], expected[2]);
    EXPECT_EQ(NextMimeToken(MimeTokenMode::Atom, "[lit\\]x]", 0).text, "lit]x");
    EXPECT_EQ(NextMimeToken(MimeTokenMode::Token, "a/b", 1).type, MimeTokenType::TSpecial);
    EXPECT_EQ(NextMimeToken(MimeTokenMode::Atom, "(open", 0).type, MimeTokenType::Unterminated);
    EXPECT_EQ(NextMimeToken(MimeTokenMode::Atom, "\"open", 0).type, MimeTokenType::Unterminated);
    // A trail byte 0x5C inside a quoted name is no escape.
    EXPECT_EQ(NextMimeToken(MimeTokenMode::Token, sj("\"表.txt\""), 0).text, sj("表.txt"));
}

TEST(RepairMimeHeaders, UndoesTheHostsLineWrapping) {
    struct Row {
        const char* fault;
        std::string wrapped;
        std::string repaired;
    };
    const Row rows[] = {
        {"empty line before the boundary ends the header",
         "Content-Type: multipart/mixed;\r\n\r\nboundary=\"x\"\r\n\r\n",
         "Content-Type: multipart/mixed;\r\n boundary=\"x\"\r\n\r\n"},
        {"empty line and TAB before the boundary",
         "Content-Type: multipart/mixed;\r\n\r\n\tboundary=\"x\"\r\n",
         "Content-Type: multipart/mixed;\r\n boundary=\"x\"\r\n"},
        {"boundary value broken in two", "A: 1\r\nContent-Type: m/m; boundary=\"ab\r\ncd\"\r\n",
         "A: 1\r\nContent-Type: m/m; boundary=\"abcd\"\r\n"},
        {"line after a closed boundary joined to it",
         "Content-Type: m/m; boundary=\"ab\"; x=y\r\nMIME-Version: 1.0\r\n",
         "Content-Type: m/m; boundary=\"ab\"; x=y\r\nMIME-Version: 1.0\r\n"},
        {"wrapped file name ends the header",
         "x\r\nContent-Type: a/b; name=\"=?ISO\r\n=?J\"\r\n\r\nbody\r\n",
         "x\r\nContent-Type: a/b; name=\"=?ISO\t=?J\"\r\n\r\nbody\r\n"},
        {"missing quote swallows the body",
         "x\r\nContent-Type: a/b; name=\"abc\r\n\r\nline1\r\nline2\r\n",
         "x\r\nContent-Type: a/b; name=\"abc\r\n\r\nline1\r\nline2\r\n"},
        {"name= in a body entered name mode",
         "x\r\nContent-Type: text/html\r\n\r\n<a name=\"n\r\nx\">\r\n",
         "x\r\nContent-Type: text/html\r\n\r\n<a name=\"n\r\nx\">\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(RepairMimeHeaders(row.wrapped), row.repaired);
    }
}

TEST(MailDisplayText, ReadsStoredMailByItsFlags) {
    const std::string hostHeader = sj("発信者：INET#a@example.jp\r\n\r\n文書名：資料\r\n\r\n");
    const std::string stored = hostHeader + kMixedJapanese;
    AttachmentList list;
    EXPECT_EQ(MailDisplayText(stored, ITEM_FLAG_INTERNET, &list),
              sj("資料を送ります。\r\nよろしく。\r\n"));
    EXPECT_EQ(list.size(), 2u);
    // Without a header block (or the host's own) an internet mail shows as it stands.
    for (const std::string& asItStands :
         {std::string("no title line\r\n\r\nbody"), hostHeader + sj("本文だけ: です\r\n"),
          hostHeader + "\r\nbody after an empty line\r\n"})
        EXPECT_EQ(MailDisplayText(asItStands, ITEM_FLAG_INTERNET, nullptr), asItStands);

    const std::string plain = "text\r\nbegin 644 f\r\n`\r\nend\r\n";
    list.clear();
    EXPECT_EQ(MailDisplayText(plain, ITEM_FLAG_UUENCODED, &list), "text\r\n");
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(MailDisplayText(plain, 0, nullptr), plain);
}

}  // namespace
}  // namespace morvaline
