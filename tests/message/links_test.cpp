// Links found in lines of message text, and the commands they offer.

#include "message/links.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvaline {
namespace {

// The links of a line as "kind:text" words, for readable expectations.
std::string linksOf(const std::string& line, LinkKinds enabled = kAllLinkKinds) {
    std::string out;
    for (const LinkRun& run : FindLinks(line, enabled)) {
        if (!out.empty()) out += ' ';
        out += std::to_string(static_cast<int>(run.kind)) + ':' +
               line.substr(run.begin, run.end - run.begin);
    }
    return out;
}

TEST(Links, RecogniseEachKindWhereItEnds) {
    struct Row {
        const char* fault;
        std::string line;
        std::string links;
    };
    const Row rows[] = {
        {"sentence end taken into a message number", "see #12.", "9:#12"},
        {"number at the end of the line lost", "see #12", "9:#12"},
        {"number after a word or a dot taken", "A.#12 A#12 #x", ""},
        {"library reference incomplete", "LIB#3-15 dl#1/2-3x LIB#3 LIB#3- DL#/1-2",
         "10:LIB#3-15 10:dl#1/2-3"},
        {"user ID of the wrong shape", "ABC12345 abc12345 INT12345 WID00001 INE12345 ABC123456",
         "7:ABC12345 7:abc12345"},
        {"user ID inside a longer word", "XABC12345 ABC12345X", ""},
        {"mail address cut at the at sign", "to taro.y@example.jp, x@ @y", "8:taro.y@example.jp"},
        {"web address in lower or mixed case missed",
         "http://a.jp/x?y=1&z=%41 (Https://b.jp) ftp://c gopher://d news://e",
         "6:http://a.jp/x?y=1&z=%41 6:Https://b.jp 6:ftp://c 6:gopher://d 6:news://e"},
        {"host location runs over other characters",
         "LUDRIX:/SIG/ab_1.x ludrix:", "5:LUDRIX:/SIG/ab_1 5:ludrix:"},
        {"links inside a web address found again", "http://a.jp/#12/ABC12345",
         "6:http://a.jp/#12/ABC12345"},
        {"double-byte neighbours break links", sj("見てhttp://a.jp/です#5だ"),
         "6:http://a.jp/ 9:#5"},
        // "ア" ends in the byte "A": read alone it would make a user ID "ABC12345".
        {"trail byte read as a letter", sj("ア") + "BC12345", ""},
        // "ッ" ends in the byte "b": upper-cased it would start "BCD12345".
        {"trail byte upper-cased", sj("ッ") + "cd12345 ", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(linksOf(row.line), row.links);
    }
}

TEST(Links, SwitchedOffKindsAreNotRecognised) {
    const std::string line = "ABC12345 #5 http://a.jp";
    EXPECT_EQ(linksOf(line, kAllLinkKinds & ~linkKindBit(LinkKind::UserId)), "9:#5 6:http://a.jp");
    EXPECT_EQ(linksOf(line, linkKindBit(LinkKind::UserId)), "7:ABC12345");
    EXPECT_EQ(linksOf(line, 0), "");
}

TEST(Links, LabelNamesTheCommand) {
    EXPECT_EQ(LinkLabel("ABC12345", 7), "ABC12345" + sj(" へﾒｰﾙ予約"));
    EXPECT_EQ(LinkLabel("#12", 9), "#12" + sj(" へｼﾞｬﾝﾌﾟ"));
    EXPECT_EQ(LinkLabel("LIB#3-15", 10), "LIB#3-15" + sj(" をﾀﾞｳﾝﾛｰﾄﾞ予約"));
    EXPECT_EQ(LinkLabel("http://a.jp", 6), "http://a.jp" + sj(" を表示"));
    EXPECT_EQ(LinkLabel("x", 4), "");
    EXPECT_EQ(LinkLabel("x", 11), "");
}

}  // namespace
}  // namespace morvaline
