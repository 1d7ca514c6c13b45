// Breaking paragraphs into display lines: widths, tabs, word wrap, kinsoku, field spans and
// unsplittable words.

#include "store/line_breaker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_codec.h"

namespace morvaline {
namespace {

using Breaks = std::vector<std::size_t>;

std::string letters(int n, char c = 'a') {
    return std::string(static_cast<std::size_t>(n), c);
}

TEST(LineBreaker, BreaksAtTheWidthOrBeforeTheWordThatCrossesIt) {
    const EditorSettings s = EditorSettings::defaults();
    struct Row {
        const char* fault;
        std::string text;
        Breaks breaks;
    };
    const Row rows[] = {
        {"a full line broken", letters(70), {}},
        {"one letter too many kept", letters(71), {70}},
        {"word crossing the width split", letters(60) + " " + letters(20, 'b'), {61}},
        {"long word not broken at the width", letters(100), {70}},
        {"word after a leading space moved onto an empty line", " " + letters(100), {70}},
        {"kanji split at the width", letters(69) + sj("漢字"), {69}},
        {"line end lost after a lone lead byte", "abc\x88", {}},
        {"closing mark not hung on the line", letters(70) + sj("。"), {}},
        {"opening mark left at the line end", letters(68) + sj("「") + "b", {68}},
        {"quoted line broken at the normal width", ">" + letters(77), {}},
        {"quoted line too long kept", ">" + letters(78), {78}},
        {"field markers counted as columns", letters(68) + "\x01" + "ab\x02", {}},
        {"field span split", letters(65) + "\x01" + letters(10, 'f') + "\x02", {65}},
        {"wide span at the line start never ends", "\x01" + letters(100) + "\x02xyz", {102}},
        {"unclosed span never ends", "\x01" + letters(100), {71}},
        {"opening mark before a wide span left on an empty line",
         sj("「") + "\x01" + letters(100) + "\x02",
         {2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(breakParagraph(row.text, s), row.breaks);
    }
}

TEST(LineBreaker, SettingsChangeTheBreak) {
    EditorSettings s = EditorSettings::defaults();
    s.normalWidth = 79;
    // At the widest width a closing mark may not hang.
    EXPECT_EQ(breakParagraph(letters(79) + sj("。"), s), Breaks{79});

    s = EditorSettings::defaults();
    s.wordWrap = 0;
    // A tab at column 3 moves to column 8: 63 letters after it cross column 70.
    EXPECT_EQ(breakParagraph("abc\t" + letters(62), s), Breaks{});
    EXPECT_EQ(breakParagraph("abc\t" + letters(63), s), Breaks{66});
    s.tabWidth = 4;
    EXPECT_EQ(breakParagraph("abc\t" + letters(67), s), Breaks{70});

    s = EditorSettings::defaults();
    s.kinsoku = 0;
    EXPECT_EQ(breakParagraph(letters(70) + sj("。"), s), Breaks{70});
    EXPECT_EQ(lineWidthOf(">", s), 70);  // the mark alone is no quoted line
    s.quoteMark.clear();
    EXPECT_EQ(breakParagraph(">" + letters(78), s), Breaks{70});

    // Out-of-range settings still make progress on every line.
    s = EditorSettings::defaults();
    s.normalWidth = 1;
    s.tabWidth = 0;
    EXPECT_EQ(breakParagraph(sj("漢字") + "\t", s), (Breaks{2, 4}));
}

TEST(LineBreaker, UnsplittableWordsMoveWhole) {
    EditorSettings s = EditorSettings::defaults();
    const std::string text = letters(68) + "(^^)";
    EXPECT_EQ(breakParagraph(text, s), Breaks{70});
    s.words = {{"x", 1}, {"(^^)", 1}};
    EXPECT_EQ(breakParagraph(text, s), Breaks{68});
    s.unsplittable = 0;
    EXPECT_EQ(breakParagraph(text, s), Breaks{70});

    // A match that begins inside a double-byte character is no occurrence: "ア" ends in "A".
    s = EditorSettings::defaults();
    s.wordWrap = 0;
    s.words = {{"AB", 1}};
    EXPECT_EQ(breakParagraph(letters(68) + sj("ア") + "B", s), Breaks{70});
    EXPECT_EQ(breakParagraph(letters(69) + "AB", s), Breaks{69});
}

TEST(LineBreaker, ColumnsMapToOffsets) {
    const std::string text = "a\t" + sj("漢") + "b";
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 0, 8), 0u);
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 5, 8), 1u);  // inside the tab
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 8, 8), 2u);  // after it
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 9, 8), 2u);  // inside the kanji
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 10, 8), 4u);
    EXPECT_EQ(offsetAtColumn(text, 0, text.size(), 99, 8), 5u);  // past the end
}

}  // namespace
}  // namespace morvaline
