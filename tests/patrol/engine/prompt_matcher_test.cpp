#include "patrol/engine/prompt_matcher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace morvaline {
namespace {

struct MatchCase {
    const char* name;
    std::vector<Prompt> prompts;
    std::vector<std::string> blocks;  // received in this order
    int matched;                      // -1: none
    std::size_t usedOfLastBlock;      // bytes of the block that matched read up to the match
};

// Each row guards against one way a matcher goes wrong.
const MatchCase kCases[] = {
    {"prompt split across two reads", {{"USER_ID:", false}}, {"LUDRIX\r\nUSER_", "ID: rest"}, 0, 3},
    {"x x y after x x x y keeps a progress of 2", {{"xxy", false}}, {"xxxy"}, 0, 4},
    {"longest fallback, not the first", {{"abab!", false}}, {"abababab!"}, 0, 9},
    {"fallback across a read boundary", {{"aab", false}}, {"aa", "aab"}, 0, 3},
    {"two prompts ending on the same byte: lower index",
     {{"ab", false}, {"b", false}},
     {"xab"},
     0,
     3},
    {"... whichever is listed first", {{"b", false}, {"ab", false}}, {"xab"}, 0, 3},
    {"the earlier end wins over the lower index", {{"abc", false}, {"b", false}}, {"abc"}, 1, 2},
    {"a quiet prompt never matches by itself", {{"=", true}}, {"a=b="}, -1, 0},
    {"an empty prompt is ignored", {{"", false}, {">", false}}, {"a>"}, 1, 2},
    {"bytes with the high bit set", {{"\x94\xD4", false}}, {"\x82\x94\xD4"}, 0, 3},
    {"no prompt in the text", {{"PASSWORD: ", false}}, {"PASSWORD :", "PASSWORD"}, -1, 0},
};

TEST(PromptMatcher, Cases) {
    for (const MatchCase& c : kCases) {
        SCOPED_TRACE(c.name);
        PromptMatcher matcher(c.prompts);
        PromptMatcher::Scan scan;
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            scan = matcher.scan(c.blocks[i]);
            if (scan.matched >= 0) {
                EXPECT_EQ(i, c.blocks.size() - 1) << "matched too early";
                break;
            }
            EXPECT_EQ(scan.used, c.blocks[i].size());
        }
        EXPECT_EQ(scan.matched, c.matched);
        if (c.matched >= 0) {
            EXPECT_EQ(scan.used, c.usedOfLastBlock);
        }
    }
}

TEST(PromptMatcher, QuietPromptAtTheEndIsReportedAndCarriesOn) {
    const Prompt prompts[] = {{"\r\n", false}, {"=", true}, {"(Y,N)=", true}};
    PromptMatcher matcher(prompts);
    EXPECT_EQ(matcher.scan("OK(Y,N)=").matched, -1);
    EXPECT_EQ(matcher.quietPromptAtEnd(), 1);  // both are complete; the lower index is named
    EXPECT_EQ(matcher.scan(" more").matched, -1);
    EXPECT_EQ(matcher.quietPromptAtEnd(), -1);
    EXPECT_EQ(matcher.scan("\r\n").matched, 0);
}

// The first position where one of the prompts ends, found the slow way.
int firstEndNaive(const std::vector<std::string>& prompts, const std::string& text,
                  std::size_t& end) {
    for (end = 1; end <= text.size(); ++end) {
        for (std::size_t i = 0; i < prompts.size(); ++i) {
            const std::string& p = prompts[i];
            if (!p.empty() && end >= p.size() && text.compare(end - p.size(), p.size(), p) == 0)
                return static_cast<int>(i);
        }
    }
    return -1;
}

// The first quiet prompt that the text ends with, found the slow way.
int quietAtEndNaive(const std::vector<Prompt>& prompts, const std::string& text) {
    for (std::size_t i = 0; i < prompts.size(); ++i) {
        const std::string_view p = prompts[i].text;
        if (prompts[i].quiet && !p.empty() && std::string_view(text).ends_with(p))
            return static_cast<int>(i);
    }
    return -1;
}

TEST(PromptMatcher, AgreesWithANaiveSearchOnRandomText) {
    std::mt19937 random(12345);
    const auto randomText = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('a' + random() % 3);
        return text;
    };
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::string> texts;
        const int count = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < count; ++i) texts.push_back(randomText(1 + random() % 6));
        std::vector<Prompt> prompts;
        std::vector<std::string> loud;  // the prompts that are not quiet
        for (const std::string& t : texts) {
            const bool quiet = random() % 3 == 0;
            prompts.push_back({t, quiet});
            loud.push_back(quiet ? std::string() : t);
        }
        const std::string text = randomText(random() % 60);

        std::size_t expectedEnd = 0;
        const int expected = firstEndNaive(loud, text, expectedEnd);
        // Feed in random pieces: the result must not depend on where the reads split.
        PromptMatcher matcher(prompts);
        std::size_t pos = 0;
        int matched = -1;
        std::size_t end = 0;
        while (pos < text.size() && matched < 0) {
            const std::size_t piece = std::min<std::size_t>(1 + random() % 20, text.size() - pos);
            const PromptMatcher::Scan scan =
                matcher.scan(std::string_view(text).substr(pos, piece));
            matched = scan.matched;
            end = pos + scan.used;
            pos += piece;
            if (matched < 0) {
                ASSERT_EQ(matcher.quietPromptAtEnd(), quietAtEndNaive(prompts, text.substr(0, pos)))
                    << "text " << text.substr(0, pos);
            }
        }
        ASSERT_EQ(matched, expected) << "text " << text;
        if (expected >= 0) {
            ASSERT_EQ(end, expectedEnd) << "text " << text;
        }
    }
}

}  // namespace
}  // namespace morvaline
