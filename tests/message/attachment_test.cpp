// Attachment names, sizes and saving into a real folder.

#include "message/attachment.h"
#include "message/attachment_name.h"
#include "message/attachment_save.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace morvaline {
namespace {

using namespace std::string_literals;

TEST(AttachmentName, OneSanitiserForEveryMailName) {
    struct Row {
        const char* fault;
        std::string raw;
        std::string safe;
    };
    const Row rows[] = {
        {"relative path climbs out of the folder", "../../.ssh/authorized_keys", "authorized_keys"},
        {"DOS drive and backslashes kept", "C:\\Windows\\x.exe", "x.exe"},
        {"trail byte 0x5C taken for a separator", sj("表\\表.txt"), sj("表.txt")},
        {"dot names left as they are", "..", ""},
        {"single dot name", " . ", ""},
        {"wildcards and controls kept", "a*b?c\x01<d>|e\".txt", "a b c  d  e .txt"},
        {"environment reference expanded", "%HOME%", "%HOME%"},
        {"lone lead byte at the end kept", "name\x88", "name"},
        {"half-width kana dropped", sj("ﾌｧｲﾙ.txt"), sj("ﾌｧｲﾙ.txt")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(SafeAttachmentName(row.raw), row.safe);
    }
    EXPECT_EQ(SafeAttachmentName(std::string(600, 'a')).size(), 516u);
    EXPECT_EQ(SafeAttachmentName(std::string(515, 'a') + sj("表")).size(),
              515u);  // never half a character
}

TEST(AttachmentName, MailNamesAreUnfoldedAndDecoded) {
    // A long Japanese name folded over several lines: the words must still decode.
    std::string raw;
    for (int i = 0; i < 12; ++i) raw += "=?ISO-2022-JP?B?GyRCO3FOQUxcPCEbKEI=?=\r\n\t";
    raw += ".doc";
    std::string expected;
    for (int i = 0; i < 12; ++i) expected += sj("資料目次");
    EXPECT_EQ(MakeAttachmentFileName(raw), expected + ".doc");
    EXPECT_EQ(MakeAttachmentFileName("=?ISO-2022-JP?B?Li4=?="), "");  // ".." hidden in a word
}

TEST(AttachmentName, LocalNameFitsLinuxAndKeepsTheExtension) {
    std::string longName;
    for (int i = 0; i < 100; ++i) longName += sj("漢");
    longName += ".tar.gz";
    const std::string local = LocalAttachmentFileName(longName);
    EXPECT_LE(local.size(), 200u);
    EXPECT_TRUE(local.ends_with(".gz"));
    EXPECT_EQ(sjisToUtf8(utf8ToSjis(local)), local);  // cut on a character boundary
    EXPECT_EQ(LocalAttachmentFileName(".."), "添付されたﾌｧｲﾙ.txt");
    EXPECT_EQ(LocalAttachmentFileName(sj("報告書.pdf")), "報告書.pdf");
}

TEST(Attachment, EstimatedSizeTakesOffLineEnds) {
    const std::string line = std::string(76, 'A') + "\r\n";
    std::string base64;
    for (int i = 0; i < 100; ++i) base64 += line;
    EXPECT_EQ(EstimatedAttachmentKB({base64, "x", AttachmentKind::Base64}), 7600 * 3 / 4 / 1024);
    EXPECT_EQ(
        EstimatedAttachmentKB({std::string(60, 'M') + "\r\n", "x", AttachmentKind::Uuencoded}), 0);
    EXPECT_EQ(EstimatedAttachmentKB({"\r\n\r\n\r\n", "x", AttachmentKind::Uuencoded}),
              0);  // never negative
}

std::string readFile(const std::filesystem::path& path) {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(path, bytes)) << path;
    return bytes;
}

TEST(SaveAttachment, WritesDecodedBytesInsideTheFolderOnly) {
    test::TempDir dir;
    const Attachment attachment{"AP8AZg==", sj("../資料.bin"), AttachmentKind::Base64};
    const SaveResult saved = SaveAttachment(dir.path(), attachment, ExistingFile::Replace);
    ASSERT_EQ(saved.status, SaveStatus::Saved) << saved.error;
    EXPECT_EQ(saved.path, dir / "資料.bin");
    EXPECT_EQ(readFile(saved.path), "\x00\xFF\x00\x66"s);
    struct stat st {};
    ASSERT_EQ(::stat(saved.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
              1);  // no temporary left
}

TEST(SaveAttachment, KeepsExistingFilesAndNeverWritesHalfAFile) {
    test::TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "a.txt", "old"));
    const Attachment text{"new", "a.txt", AttachmentKind::Text};
    EXPECT_EQ(SaveAttachment(dir.path(), text, ExistingFile::Keep).path, dir / "a (2).txt");
    EXPECT_EQ(SaveAttachment(dir.path(), text, ExistingFile::Keep).path, dir / "a (3).txt");
    EXPECT_EQ(readFile(dir / "a.txt"), "old");

    const Attachment damaged{"M``$\r\n", "a.txt", AttachmentKind::Uuencoded};  // no "end" line
    EXPECT_EQ(SaveAttachment(dir.path(), damaged, ExistingFile::Replace).status,
              SaveStatus::DecodeFailed);
    const Attachment empty{"====", "a.txt", AttachmentKind::Base64};
    EXPECT_EQ(SaveAttachment(dir.path(), empty, ExistingFile::Replace).status,
              SaveStatus::DecodeFailed);
    EXPECT_EQ(readFile(dir / "a.txt"), "old");

    const SaveResult noFolder = SaveAttachment(dir / "missing", text, ExistingFile::Replace);
    EXPECT_EQ(noFolder.status, SaveStatus::WriteFailed);
    EXPECT_FALSE(noFolder.error.empty());

    const Attachment binary{"a=00b=0D=0A", "q.bin", AttachmentKind::QuotedPrintable};
    ASSERT_EQ(SaveAttachment(dir.path(), binary, ExistingFile::Replace).status, SaveStatus::Saved);
    EXPECT_EQ(readFile(dir / "q.bin"),
              "a\x00"
              "b\r\n"s);  // not cut at the NUL
}

}  // namespace
}  // namespace morvaline
