// Internet mail composition: recipients, header lines, the ISO-2022-JP body, base64
// attachments and forwards, checked by hand and by Python's email package.

#include "message/internet_mail.h"

#include <gtest/gtest.h>

#include "message/jis_lossy.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/address_book.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

const std::string kBoundary = "__abcdefghijklmnopqrstuvwxy";

struct Composed {
    ComposeResult result;
    std::string text;
};

Composed compose(const InternetMail& mail) {
    Composed c;
    c.result = ComposeInternetMail(mail, MailDomains{}, EditorSettings::defaults(), kBoundary,
                                   [&c](std::string_view bytes) {
                                       c.text += bytes;
                                       return true;
                                   });
    return c;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        out.push_back(text.substr(start, at - start));
    return out;
}

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(Recipients, NamesBecomeAddressesAndAddressesTheirInternetForm) {
    CAddrArray book;
    book.addNode(-1, CAddr::kFolder, 0, "", "root");
    book.addNode(0, CAddr::kEntry, 0, "hanako@example.jp", sj("花子"));
    book.addNode(0, CAddr::kEntry, 0, "MVL00003", "Jiro");
    EXPECT_EQ(ExpandRecipients(sj("花子, MVL00002,,Jiro"), book, false).list,
              "hanako@example.jp,MVL00002,MVL00003");
    // Strict IDs: a recipient that is no ID or gateway form stops the expansion.
    const ExpandedRecipients strict = ExpandRecipients(sj("Jiro,たろう"), book, true);
    EXPECT_EQ(strict.error, RecipientError::NotAnId);
    EXPECT_EQ(strict.failed, sj("たろう"));
    EXPECT_EQ(strict.list, "");
    EXPECT_EQ(ExpandRecipients("LDX>ABC,INET#a@b.c,FXYZ,x@y", book, true).error,
              RecipientError::None);
    // Two entries of one name (a book from an old file) are no address.
    book.addNode(0, CAddr::kEntry, 0, "other", "tmp");
    const_cast<CAddr&>(book.nodes().back()).name = "Jiro";
    EXPECT_EQ(ExpandRecipients("Jiro", book, false).error, RecipientError::DuplicateName);
    std::string many;
    for (int i = 0; i < 2300; ++i) many += "MVL00002,";
    EXPECT_EQ(ExpandRecipients(many, book, false).error, RecipientError::TooLong);

    const MailDomains d;
    EXPECT_EQ(ConvertMailAddress("MVL00002", d), "MVL00002");
    EXPECT_EQ(ConvertMailAddress("INET:a@b.jp", d), "a@b.jp");
    EXPECT_EQ(ConvertMailAddress("INET#a@b.jp", d), "a@b.jp");
    EXPECT_EQ(ConvertMailAddress("LDX>ABC01234", d), "ABC01234@ludrix.example");
    EXPECT_EQ(ConvertMailAddress("CIS>7", d), "7@cis.example");
    EXPECT_EQ(ConvertMailAddress("ABCDEFGHI", d), "ABCDEFGHI");
    EXPECT_EQ(ConvertMailAddress("a@b\r\nBcc: c@d", d), "a@bBcc: c@d");
}

TEST(InternetMail, HeaderLinesStayShortAndSayEverything) {
    InternetMail mail;
    mail.senderName = sj("山田 太郎");
    mail.userId = "MVL00001";
    mail.recipients = "a@example.com,MVL00002,LDX>ABC01234";
    mail.subject = sj("ご案内：来週の会議について、資料をお送りしますのでご確認ください (v2)");
    mail.body = sj("本文") + "\n\n" + std::string(100, 'x');
    const Composed c = compose(mail);
    ASSERT_TRUE(c.result.ok);
    const auto lines = linesOf(c.text);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0].rfind("From: =?ISO-2022-JP?B?", 0), 0u) << lines[0];
    EXPECT_NE(c.text.find("<MVL00001@ludrix.example>"), std::string::npos);
    EXPECT_NE(c.text.find("To: a@example.com, MVL00002, ABC01234@ludrix.example\r\n"),
              std::string::npos);
    EXPECT_NE(c.text.find("Mime-Version: 1.0\r\nX-Mailer: Tollivo 2.34\r\n"
                          "Content-Type: text/plain; charset=iso-2022-jp\r\n\r\n"),
              std::string::npos);
    std::size_t subjectLines = 0;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 76u) << line;
        if (line.starts_with("Subject: ") || (subjectLines > 0 && line.starts_with("  ")))
            ++subjectLines;
    }
    EXPECT_GE(subjectLines, 2u);
    EXPECT_TRUE(c.text.ends_with(std::string(30, 'x') + "\r\n\r\n"));  // 70 + 30 columns

    // ASCII stays as it is; no recipients, no "To:"; a sender "0..." writes no "From:".
    mail.subject = "Plain subject";
    mail.recipients.clear();
    mail.senderName = "0anonymous";
    const Composed plain = compose(mail);
    EXPECT_TRUE(plain.text.starts_with("Subject: Plain subject\r\n")) << plain.text;

    // Line ends and control bytes in a subject or sender name start no header of their own.
    mail.senderName = "Taro\r\nBcc: x@example.com";
    mail.subject = "Hi\nBcc: y@example.com\x07";
    const std::string injected = compose(mail).text;
    EXPECT_TRUE(injected.starts_with("From: TaroBcc: x@example.com <MVL00001@ludrix.example>\r\n"
                                     "Subject: HiBcc: y@example.com\r\n"))
        << injected;
    mail.senderName = "0anonymous";

    // Addresses go on as many lines as they need, a long one on a line of its own.
    mail.recipients = std::string(80, 'a') + "@example.com,b@example.com,c@example.com";
    const auto wrapped = linesOf(compose(mail).text);
    EXPECT_EQ(wrapped[0], "To: " + std::string(80, 'a') + "@example.com,");
    EXPECT_EQ(wrapped[1], "   b@example.com, c@example.com");
}

TEST(InternetMail, AttachmentsAreBase64PartsBetweenBoundaries) {
    test::TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "a51.bin", std::string(51, 'A')));
    ASSERT_TRUE(writeFileAtomically(dir / "b52.bin", std::string(52, 'B')));
    ASSERT_TRUE(writeFileAtomically(dir / "empty.bin", ""));
    InternetMail mail;
    mail.senderName = "Taro";
    mail.userId = "MVL00001";
    mail.recipients = "a@example.com";
    mail.subject = "files";
    mail.body = "see attached";
    mail.attachments = {dir / "a51.bin", dir / "b52.bin", dir / "empty.bin"};
    const Composed c = compose(mail);
    ASSERT_TRUE(c.result.ok) << c.result.error;
    EXPECT_TRUE(c.result.multipart);
    const auto lines = linesOf(c.text);
    EXPECT_EQ(count(lines, "--" + kBoundary), 4);
    EXPECT_EQ(count(lines, "--" + kBoundary + "--"), 1);
    EXPECT_NE(c.text.find("Content-Type: multipart/mixed; boundary=\"" + kBoundary +
                          "\"\r\n\r\n--" + kBoundary + "\r\nContent-Type: text/plain"),
              std::string::npos);
    const auto at = std::find(lines.begin(), lines.end(),
                              "Content-Disposition: attachment; filename=\"a51.bin\"");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ((at + 2)->size(), 68u);
    EXPECT_EQ(*(at + 3), "");
    const auto bt = std::find(lines.begin(), lines.end(),
                              "Content-Disposition: attachment; filename=\"b52.bin\"");
    ASSERT_NE(bt, lines.end());
    EXPECT_EQ((bt + 2)->size(), 68u);
    EXPECT_EQ(*(bt + 3), "Qg==");
    EXPECT_TRUE(
        c.text.ends_with("filename=\"empty.bin\"\r\n\r\n\r\n\r\n--" + kBoundary + "--\r\n"));

    // A file's name ends neither its quoted string nor its line, and is not expanded.
    const std::filesystem::path odd = dir / "a\"b\r\nX-Evil: 1%NAME%.bin";
    ASSERT_TRUE(writeFileAtomically(odd, "z"));
    mail.attachments = {odd};
    EXPECT_NE(compose(mail).text.find("filename=\"abX-Evil: 1%NAME%.bin\"\r\n"),
              std::string::npos);

    // A file that cannot be read fails the composition with its name.
    mail.attachments.push_back(dir / "missing.bin");
    const Composed failed = compose(mail);
    EXPECT_FALSE(failed.result.ok);
    EXPECT_EQ(failed.result.error, (dir / "missing.bin").string());
}

TEST(InternetMail, AForwardPassesTheSourceOnWithNewAddressing) {
    InternetMail mail;
    mail.senderName = "Taro";
    mail.userId = "MVL00001";
    mail.recipients = "b@example.com";
    mail.subject = "FW: hello";
    mail.forwarded =
        "\x0C\r\nReceived: from x\r\n\tby y\r\nFROM: a@example.com\r\nMIME-Version: 1.0\r\n"
        "Content-Type: text/plain\r\nTo: me\r\n\r\nTo: stays in the body\r\n";
    const Composed c = compose(mail);
    ASSERT_TRUE(c.result.ok);
    EXPECT_EQ(c.text,
              "From: Taro <MVL00001@ludrix.example>\r\nTo: b@example.com\r\nSubject: FW: hello\r\n"
              "MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nTo: stays in the body\r\n");
}

TEST(InternetMail, CharactersIso2022JpCannotCarryAreReported) {
    EXPECT_EQ(LostInIso2022Jp(sj("ｶﾀｶﾅと漢字と①とⅡ") + "\x80" + sj("①")),
              (std::vector<std::string>{sj("①"), sj("Ⅱ"), "\x80"}));
    InternetMail mail;
    mail.senderName = "Taro";
    mail.subject = sj("No.①");
    mail.body = sj("ｶﾀｶﾅ");
    EXPECT_EQ(compose(mail).result.lost, std::vector<std::string>{sj("①")});
}

TEST(InternetMail, PythonsEmailPackageReadsWhatWasComposed) {
    test::TempDir dir;
    std::string binary;
    for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 7 + 3) % 256);
    ASSERT_TRUE(writeFileAtomically(dir / "data.bin", binary));
    ASSERT_TRUE(writeFileAtomically(dir / "日本語の名前.txt", "plain\n"));
    InternetMail mail;
    mail.senderName = sj("山田 太郎");
    mail.userId = "MVL00001";
    mail.recipients = "a@example.com,LDX>ABC01234";
    mail.subject = sj("写真と資料を送ります：ﾊﾝｶｸも含めて長めの件名にしておきます");
    mail.body =
        sj("こんにちは。\n\n") + std::string(sj("長い行")) + std::string(200, 'z') + "\nend";
    mail.attachments = {dir / "data.bin", dir / "日本語の名前.txt"};
    std::string text;
    ASSERT_TRUE(ComposeInternetMail(mail, MailDomains{}, EditorSettings::defaults(), kBoundary,
                                    [&text](std::string_view b) {
                                        text += b;
                                        return true;
                                    })
                    .ok);
    ASSERT_TRUE(writeFileAtomically(dir / "mail.eml", text));

    const auto python = test::runCommand(
        "PYTHONIOENCODING=utf-8 python3 -c '\n"
        "import email, email.policy, sys\n"
        "raw = open(sys.argv[1], \"rb\").read()\n"
        "m = email.message_from_bytes(raw, policy=email.policy.default)\n"
        "print(m[\"subject\"])\n"
        "print(m[\"from\"].addresses[0].display_name, m[\"from\"].addresses[0].addr_spec)\n"
        "print(m[\"to\"])\n"
        "parts = list(m.iter_parts())\n"
        "print(parts[0].get_content().replace(\"\\r\\n\", \"|\"))\n"
        "print(parts[1].get_payload(decode=True) == open(sys.argv[2], \"rb\").read())\n"
        "print(parts[2].get_filename(), parts[2].get_payload(decode=True))\n"
        "print(max(len(l) for l in raw.split(b\"\\r\\n\")))\n"
        "' '" +
        (dir / "mail.eml").string() + "' '" + (dir / "data.bin").string() + "'");
    ASSERT_EQ(python.status, 0) << python.output;
    EXPECT_EQ(python.output,
              "写真と資料を送ります：ハンカクも含めて長めの件名にしておきます\n"
              "山田 太郎 MVL00001@ludrix.example\n"
              "a@example.com, ABC01234@ludrix.example\n"
              "こんにちは。||長い行|" +
                  std::string(70, 'z') + "|" + std::string(70, 'z') + "|" + std::string(60, 'z') +
                  "|end|\n"
                  "True\n"
                  "日本語の名前.txt b'plain\\n'\n"
                  "70\n");  // the longest line
}

}  // namespace
}  // namespace morvaline
