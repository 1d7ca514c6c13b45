// Encoded words in header values, both directions.

#include "message/header_words.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

TEST(HeaderWords, DecodeKeepsTheTextAroundWords) {
    struct Row {
        const char* fault;
        std::string header;
        const char* utf8;
    };
    const Row rows[] = {
        {"charset compared with its case", "Re: =?iso-2022-jp?b?GyRCO3FOQRsoQg==?= (2)",
         "Re: 資料 (2)"},
        {"blank between two words dropped or doubled",
         "=?ISO-2022-JP?B?GyRCO3FOQRsoQg==?= =?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=", "資料 資料"},
        {"other charsets garbled", "caf =?ISO-8859-1?Q?caf=E9?= x", "caf ISO-8859-1?Q?caf=E9?= x"},
        {"word without its end read past the text", "a =?ISO-2022-JP?B?GyRCO3FO",
         "a ISO-2022-JP?B?GyRCO3FO"},
        {"undecodable base64 treated as text", "=?ISO-2022-JP?B?*?= b", "ISO-2022-JP?B?*?= b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(DecodeHeaderWords(row.header), sj(row.utf8));
    }
}

TEST(HeaderWords, EncodeKeepsTheAddressWhole) {
    const std::string from = sj("山田 太郎 <taro@example.jp>");
    const auto ample = EncodeHeaderWords(from, 100);
    EXPECT_EQ(
        ample.text,
        "=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro@example.jp>");
    EXPECT_EQ(ample.resume, from.size());

    const auto tight = EncodeHeaderWords(from, 75);
    EXPECT_EQ(tight.text, "=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= ");
    EXPECT_EQ(tight.resume, from.find('<'));
}

// Writes a header the way the mail writer does (first line with the room left after the
// label, continuation lines with room 68) and decodes the lines again.
std::string writeAndDecode(const std::string& sjis, int firstRoom) {
    std::string decoded;
    std::size_t pos = 0;
    int room = firstRoom;
    for (int lines = 0; pos < sjis.size(); ++lines, room = 68) {
        if (lines > 1000) return "writer does not finish";
        const auto line = EncodeHeaderWords(std::string_view(sjis).substr(pos), room);
        EXPECT_GT(line.resume, 0u);
        pos += line.resume;
        decoded += DecodeHeaderWords(line.text);
    }
    return decoded;
}

TEST(HeaderWords, WriterAlwaysFinishesAndLosesNothing) {
    const std::string subject = sj(
        "長い件名：ｶﾀｶﾅを含む日本語の文章がとても長く続きます、さらに続きます、まだ続きます end");
    EXPECT_EQ(writeAndDecode(subject, 60), sj("長い件名：カタカナを含む日本語の文章がとても長く続き"
                                              "ます、さらに続きます、まだ続きます end"));
    // Too little room for any word: one character per line still goes out.
    EXPECT_EQ(writeAndDecode(sj("漢字"), 0), sj("漢字"));
    EXPECT_EQ(EncodeHeaderWords(sj("漢字"), 20).resume, 2u);
    EXPECT_EQ(EncodeHeaderWords("<only@address>", 5).resume, 5u);
}

}  // namespace
}  // namespace morvaline
