// uuencoded and xxencoded blocks. Data lines were produced by sharutils' uuencode; the
// xxencoded and checksum forms are the same bytes in those forms.

#include "message/uu_block.h"
#include "message/uu_encode.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

using namespace std::string_literals;

std::string bytes0to(int n) {
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes += static_cast<char>(i);
    return bytes;
}

const std::string kLine1 = "M``$\"`P0%!@<(\"0H+#`T.#Q`1$A,4%187&!D:&QP='A\\@(2(C)\"4F)R@I*BLL";
const std::string kLine2 = "M+2XO,#$R,S0U-C<X.3H[/#T^/T!!0D-$149'2$E*2TQ-3D]045)35%565UA9";
const std::string kHello = "Hello, uu world!\n";

TEST(UuEncode, WritesSharutilsLinesWithOneZeroLine) {
    EXPECT_EQ(EncodeUuBlock("d90.bin", bytes0to(90)),
              "begin 600 d90.bin\r" + kLine1 + "\r" + kLine2 + "\r`\rend\r");
    EXPECT_EQ(EncodeUuBlock("empty", ""), "begin 600 empty\r`\rend\r");
    EXPECT_EQ(EncodeUuBlock("hello.txt", kHello),
              "begin 600 hello.txt\r12&5L;&\\L('5U('=O<FQD(0H`\r`\rend\r");
}

TEST(UuEncode, NamesTheBlockAfterTheLocalFile) {
    test::TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "資料.bin", kHello));
    EXPECT_EQ(EncodeUuFile(dir / "資料.bin"), EncodeUuBlock(sj("資料.bin"), kHello));
    EXPECT_FALSE(EncodeUuFile(dir / "missing"));
}

TEST(UuEncode, FileBlockDecodesToTheFile) {
    for (const int size : {0, 1, 44, 45, 46, 1000}) {
        SCOPED_TRACE(size);
        std::string block = EncodeUuBlock("f", bytes0to(size));
        // Stored text carries CR LF; the block proper starts after the begin line.
        std::string stored;
        for (const char c : block) stored += c == '\r' ? "\r\n"s : std::string(1, c);
        std::size_t pos = 0;
        const auto extracted = ExtractUuBlock(stored, pos);
        ASSERT_TRUE(extracted);
        EXPECT_EQ(DecodeUuBlock(extracted->data), bytes0to(size));
    }
}

TEST(UuDecode, ReadsEveryAlphabetAndLineEndForm) {
    struct Row {
        const char* fault;
        std::string block;
        std::optional<std::string> bytes;
    };
    const Row rows[] = {
        {"bare lines", kLine1 + "\r\n" + kLine2 + "\r\n`\r\nend", bytes0to(90)},
        {"checksum character taken for data", kLine1 + ">\r\n" + kLine2 + "'\r\n``\r\nend",
         bytes0to(90)},
        {"letter line ends rejected", "12&5L;&\\L('5U('=O<FQD(0H`a\r\n`a\r\nend", kHello},
        {"checksum and bare lines mixed", kLine1 + ">\r\n" + kLine2 + "\r\n``\r\nend",
         std::nullopt},
        {"xxencode not recognised", "FG4JgP4wg65Jp65RjQalY6Ec+\r\n+\r\nend", kHello},
        {"CR-only and LF-only line ends", kLine1 + "\r" + kLine2 + "\n`\nend", bytes0to(90)},
        {"empty line inside the block accepted", kLine1 + "\r\n\r\n" + kLine2 + "\r\n`\r\nend",
         std::nullopt},
        {"missing end line accepted", kLine1 + "\r\n`\r\n", std::nullopt},
        {"short line read past its end", "M``$\r\nend", std::nullopt},
        {"wrong checksum accepted", kLine1 + "!\r\n`\r\nend", std::nullopt},
        {"empty file refused", "`\r\nend", ""s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(DecodeUuBlock(row.block), row.bytes);
    }
}

TEST(UuBlocks, PlainMailShowsTheTextAroundItsFiles) {
    const std::string text =
        "Two files:\r\nbegin 644 ../../etc/a.bin\r\n" + kLine1 + "\r\n`\r\nend\r\nbetween\r\n" +
        "begin 600 hello.txt\r\n12&5L;&\\L('5U('=O<FQD(0H`\r\n`\r\nend\r\nbye\r\n";
    AttachmentList list;
    EXPECT_EQ(SplitUuBlocks(text, &list), "Two files:\r\nbetween\r\nbye\r\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "a.bin");  // the begin line cannot steer the save path
    EXPECT_EQ(list[0].kind, AttachmentKind::Uuencoded);
    EXPECT_EQ(DecodeUuBlock(list[0].data), bytes0to(45));
    EXPECT_EQ(list[1].name, "hello.txt");
    EXPECT_EQ(DecodeUuBlock(list[1].data), kHello);
}

TEST(UuBlocks, FindsOnlyRealBeginAndEndLines) {
    struct Row {
        const char* fault;
        std::string text;
        std::string shown;
        std::size_t blocks;
    };
    const Row rows[] = {
        {"prose line starting with begin hides a later block",
         "begin here\r\nbegin 644 x\r\n`\r\nend\r\n", "begin here\r\n", 1},
        {"endif taken for the end line", "begin 644 x\r\n`\r\nendif\r\nmore\r\n",
         "begin 644 x\r\n`\r\nendif\r\nmore\r\n", 0},
        {"end at the very end of the text missed", "a\r\nbegin 644 x\r\n`\r\nend", "a", 1},
        {"begin line without mode", "begin 9 x\r\n`\r\nend\r\n", "begin 9 x\r\n`\r\nend\r\n", 0},
        {"begin line without name", "begin 644 \r\n`\r\nend\r\n", "begin 644 \r\n`\r\nend\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        AttachmentList list;
        EXPECT_EQ(SplitUuBlocks(row.text, &list), row.shown);
        EXPECT_EQ(list.size(), row.blocks);
    }
    EXPECT_TRUE(IsBeginLine("begin 644 name.bin\r\n"));
    EXPECT_TRUE(IsBeginLine("begin  0755  name"));
    EXPECT_FALSE(IsBeginLine("begin 644\r\n"));
    EXPECT_FALSE(IsBeginLine("begin 8 name"));
    EXPECT_FALSE(IsBeginLine("beginning 644 x"));
}

TEST(UuBlocks, BeginLineNameIsConvertedFromJis) {
    const std::string text = "begin 644 \x1B$B;qNA\x1B(B.bin\r\n`\r\nend\r\n";
    std::size_t pos = 0;
    const auto block = ExtractUuBlock(text, pos);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->name, sj("資料.bin"));
    EXPECT_EQ(block->data, "`\r\nend");
    EXPECT_EQ(pos, text.size() - 2);
}

}  // namespace
}  // namespace morvaline
