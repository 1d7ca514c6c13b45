// The readers of the library's host lines: file list entries by byte position, the protocol
// menu's numbers and the sections of a library's menu, with the hostile forms a host may send.

#include <gtest/gtest.h>

#include "patrol/services/library/library_lines.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

// number(4) mark(1) name(15) ID(8) blanks(2) date(8) blanks(3) size(7) blanks(3) access(7)
std::string entry(std::string number, char mark, std::string name, std::string date = "99/11/05",
                  std::string size = "   5000", std::string access = "     15") {
    name.resize(15, ' ');
    return number + mark + name + "MVL00002" + "  " + date + "   " + size + "   " + access;
}

TEST(LibraryLines, FileEntries) {
    struct Row {
        const char* fault;
        std::string line;
        std::optional<int> number;  // none: not an entry
        bool dotted = false;
        std::string name;
    };
    const Row rows[] = {
        {"a dotted entry not read", entry("   5", '.', "FILE5.LZH"), 5, true, "FILE5.LZH"},
        {"the second form refused", entry("  12", ' ', "README.TXT"), 12, false, "README.TXT"},
        {"a name with / or .. changed", entry("   7", '.', "../../ETC/PASSW"), 7, true, "../../ETC/PASSW"},
        {"a short line read past its end", entry("   5", '.', "FILE5.LZH").substr(0, 57), std::nullopt, false, {}},
        {"a long line refused", entry("   5", '.', "FILE5.LZH") + std::string(242, 'x'), 5, true, "FILE5.LZH"},
        {"letters in the number taken", entry("  x5", '.', "FILE5.LZH"), std::nullopt, false, {}},
        {"number zero taken", entry("   0", '.', "FILE.LZH"), std::nullopt, false, {}},
        {"another mark taken", entry("   5", ':', "FILE5.LZH"), std::nullopt, false, {}},
        {"a lower-case ID taken", "   5.FILE5.LZH      mvl00002  99/11/05      5000        15", std::nullopt, false, {}},
        {"letters in the size taken", entry("   5", '.', "F", "99/11/05", "  5OOO0"), std::nullopt, false, {}},
        {"a blank date refused", entry("   5", '.', "F", "        "), 5, true, "F"},
        {"a date of letters taken", entry("   5", '.', "F", "yy/mm/dd"), std::nullopt, false, {}},
        {"control bytes in the name kept", entry("   9", '.', "A\x01\x1b[2JB"), 9, true, "A[2JB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        const std::optional<FileEntry> got = parseFileEntry(row.line);
        ASSERT_EQ(got.has_value(), row.number.has_value());
        if (!got) continue;
        EXPECT_EQ(got->number, *row.number);
        EXPECT_EQ(got->dotted, row.dotted);
        EXPECT_EQ(got->name, row.name);
        EXPECT_EQ(got->owner, "MVL00002");
    }
    const std::optional<FileEntry> absurd =
        parseFileEntry(entry("9999", '.', "BIG", "99/11/05", "9999999", "9999999"));
    ASSERT_TRUE(absurd);
    EXPECT_EQ(absurd->size, 9999999);
    EXPECT_EQ(absurd->access, 9999999);
}

TEST(LibraryLines, ProtocolNumbersAndSections) {
    EXPECT_EQ(protocolNumber("  2  " + sj("Ｒａｐｉｄｏｘ")), 2);
    EXPECT_EQ(protocolNumber(sj("　３．Ｒａｐｉｄｏｘ")), 3);  // full-width digit after a full-width blank
    EXPECT_EQ(protocolNumber(sj("１２．Ｒａｐｉｄｏｘ")), 12);
    EXPECT_EQ(protocolNumber(sj("Ｒａｐｉｄｏｘ")), std::nullopt);

    const std::string menu = sj("　１．このコーナーの案内\r\n　２．ファイル一覧（＊）\r\n　３．ダウンロード（＊）\r\n"
                                "　－－－－\r\n　４．ツール\r\n　１２．ゲーム  \r\n");
    const std::vector<MenuSection> sections = menuSections(menu);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].number, 4);
    EXPECT_EQ(sections[0].name, sj("ツール"));
    EXPECT_EQ(sections[1].number, 12);
    EXPECT_EQ(sections[1].name, sj("ゲーム"));
}

TEST(LibraryLines, UploadNamesAndRegistrations) {
    EXPECT_EQ(uploadName("tool\x01.lzh"), "TOOL.LZH");
    EXPECT_EQ(documentName("TOOL.LZH"), "TOOL.DOC");
    EXPECT_EQ(documentName("LONGERNAME.TAR.GZ"), "LONGERNA.DOC");
    EXPECT_EQ(documentName(sj("ﾂｰﾙ") + "1234" + sj("漢") + ".LZH"), sj("ﾂｰﾙ") + "1234.DOC");  // never half a character
    EXPECT_EQ(documentName(".PROFILE"), ".PROFILE.DOC");

    const std::string pending = entry("  14", '.', "TOOL.LZH");
    EXPECT_EQ(pendingNumber(pending, "TOOL.LZH"), 14);
    EXPECT_EQ(pendingNumber(pending, "TOOL.LZ"), std::nullopt);  // a longer name that begins alike
    EXPECT_EQ(pendingNumber(pending.substr(0, 50), "TOOL.LZH"), std::nullopt);
    EXPECT_EQ(pendingNumber(entry("  15", '.', "ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNOPQ"), 15);  // cut at 15 bytes
    EXPECT_EQ(pendingNumber(entry("  ab", '.', "TOOL.LZH"), "TOOL.LZH"), std::nullopt);
}

TEST(LibraryLines, ClassificationAnswers) {
    using Answers = std::vector<std::pair<int, std::string>>;
    struct Row {
        const char* fault;
        std::int32_t values[5];
        std::string version;
        Answers answers;
    };
    const Row rows[] = {
        {"defaults asked", {0, 16, 0, 27, 0}, "1.0", {}},
        {"a list index sent as is", {2, 3, 1, 4, 2}, "2.1a", {{1, "4"}, {2, "3"}, {3, "2"}, {5, "2.1a"}, {6, "5"}, {9, "3"}}},
        {"a value outside its list sent", {-1, 17, 9, 28, 9}, "", {}},
        {"a control byte typed in the version", {0, 16, 0, 27, 0}, "1.1\r\n", {{5, "1.1"}}},
    };
    for (const Row& row : rows) {
        Answers got;
        for (const ClassificationAnswer& a : classificationAnswers(row.values, row.version))
            got.emplace_back(a.question, a.answer);
        EXPECT_EQ(got, row.answers) << row.fault;
    }
}

}  // namespace
}  // namespace morvaline
