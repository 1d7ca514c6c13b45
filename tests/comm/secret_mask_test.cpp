#include "comm/secret_mask.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text_codec.h"

namespace morvaline {
namespace {

TEST(SecretMask, MasksEverySecretAlsoWhenItComesInPieces) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::string expected;
    } cases[] = {
        {"whole", {"pw hunter22 and SECRET\r\n"}, "pw **** and ****\r\n"},
        {"split over three pieces", {"x hun", "te", "r22 y"}, "x **** y"},
        {"a held beginning that turns out no secret", {"hunt", "ing"}, "hunting"},
        {"a held tail given up by flush", {"a hunter2"}, "a hunter2"},
        {"two secrets side by side", {"hunter22SECRET"}, "********"},
        {"no secret", {"LUDRIX\r"}, "LUDRIX\r"},
    };
    SecretMask mask;
    mask.add("hunter22");
    mask.add("SECRET");
    mask.add("");
    for (const Case& c : cases) {
        SecretMask::Stream stream(mask);
        std::string out;
        for (const std::string& piece : c.pieces) out += stream.pass(piece);
        out += stream.flush();
        EXPECT_EQ(out, c.expected) << c.name;
    }
    EXPECT_EQ(mask.masked("hunter22\r"), "****\r");
    EXPECT_EQ(SecretMask().masked("hunter22"), "hunter22");
}

TEST(SecretMask, APasswordPromptEndsTheHostsLine) {
    EXPECT_TRUE(asksForPassword("PASSWORD: "));
    EXPECT_TRUE(asksForPassword("Club password:"));
    EXPECT_TRUE(asksForPassword(sj("パスワード： ")));
    EXPECT_TRUE(asksForPassword(sj("ﾊﾟｽﾜｰﾄﾞ:")));
    EXPECT_FALSE(asksForPassword(sj("新パスワードまたはコマンド(M,S,F,H,Q)=")));
    EXPECT_FALSE(asksForPassword("USER_ID:"));
    EXPECT_FALSE(asksForPassword(""));
}

}  // namespace
}  // namespace morvaline
