#include "store/line_breaker.h"

#include "platform/sjis.h"
#include "store/template_markers.h"

namespace morvaline {
namespace {

constexpr int kWidestKinsokuWidth = 79;  // at this width a line-start character may not hang

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Columns taken by the character at i when the sum so far is `column`; 0 for the markers.
int advance(std::string_view text, std::size_t i, int column, int tabWidth) {
    const char c = text[i];
    if (c == kTemplateFieldOpen || c == kTemplateFieldClose) return column;
    if (c == '\t') return tabWidth > 0 ? (column / tabWidth + 1) * tabWidth : column + 1;
    return column + static_cast<int>(sjisCharWidth(text, i));
}

bool loneLeadByteAtEnd(std::string_view text, std::size_t i) {
    return i + 1 == text.size() && isSjisLeadByte(static_cast<unsigned char>(text[i]));
}

// The width break, taking field spans as ordinary text (for a span that alone is wider
// than the line, or one never closed).
std::size_t widthBreakIgnoringSpans(std::string_view text, std::size_t lineStart, int width,
                                    int tabWidth) {
    int column = 0;
    for (std::size_t i = lineStart; i < text.size() && !loneLeadByteAtEnd(text, i);
         i += sjisCharWidth(text, i)) {
        column = advance(text, i, column, tabWidth);
        if (column > width) return i;
    }
    return std::string_view::npos;
}

// Walks the characters of one display line, which starts at a character boundary.
class LineWalk {
public:
    LineWalk(std::string_view text, std::size_t lineStart) : text_(text), start_(lineStart) {}

    // The start of the character that ends right before pos; npos at or before the line start.
    std::size_t before(std::size_t pos) const {
        std::size_t previous = std::string_view::npos;
        for (std::size_t i = start_; i < pos; i += sjisCharWidth(text_, i)) previous = i;
        return previous;
    }
    bool isBoundary(std::size_t pos) const {
        std::size_t i = start_;
        while (i < pos) i += sjisCharWidth(text_, i);
        return i == pos;
    }
    std::string_view characterAt(std::size_t pos) const {
        return text_.substr(pos, sjisCharWidth(text_, pos));
    }

private:
    std::string_view text_;
    std::size_t start_;
};

// The break moves back to the start of an alphanumeric word that crosses the width, unless
// the word begins at the first or second character of the line.
std::size_t wrapWord(std::string_view text, const LineWalk& walk, std::size_t lineStart,
                     std::size_t candidate) {
    const std::size_t atWidth = candidate;
    while (candidate < text.size() && isAlphanumeric(text[candidate])) {
        const std::size_t previous = walk.before(candidate);
        if (previous == std::string_view::npos || previous <= lineStart) return atWidth;
        if (sjisCharWidth(text, previous) != 1 || !isAlphanumeric(text[previous])) break;
        candidate = previous;
    }
    return candidate;
}

std::size_t applyKinsoku(std::string_view text, const LineWalk& walk, std::size_t lineStart,
                         std::size_t candidate, int width, const EditorSettings& s) {
    const std::size_t previous = walk.before(candidate);
    // A step back onto the line start would leave the line empty.
    if (previous != std::string_view::npos && previous > lineStart &&
        inCharacterSet(s.lineEndForbidden, walk.characterAt(previous)))
        candidate = previous;
    if (candidate < text.size() && width < kWidestKinsokuWidth &&
        inCharacterSet(s.lineStartForbidden, walk.characterAt(candidate)))
        candidate += sjisCharWidth(text, candidate);
    return candidate;
}

// A listed word that the break would split moves whole to the next line.
std::size_t keepWordsWhole(std::string_view text, const LineWalk& walk, std::size_t lineStart,
                           std::size_t candidate, const EditorSettings& s) {
    for (const UnsplittableWord& entry : s.words) {
        const std::string_view word = entry.word;
        if (word.size() < 2) continue;
        const std::size_t n = word.size() - 1;
        const std::size_t from =
            candidate >= n && lineStart < candidate - n ? candidate - n : lineStart + 1;
        const std::size_t to = std::min(candidate + n, text.size());
        if (from >= to) continue;
        const std::string_view window = text.substr(from, to - from);
        for (std::size_t at = window.find(word); at != std::string_view::npos;
             at = window.find(word, at + 1)) {
            // A match that starts inside a double-byte character is no occurrence.
            if (from + at < candidate && walk.isBoundary(from + at)) {
                candidate = from + at;
                break;
            }
        }
    }
    return candidate;
}

}  // namespace

std::size_t widthBreak(std::string_view text, std::size_t lineStart, int width, int tabWidth) {
    int column = 0;
    std::size_t openSpan = std::string_view::npos;
    for (std::size_t i = lineStart; i < text.size() && !loneLeadByteAtEnd(text, i);
         i += sjisCharWidth(text, i)) {
        if (text[i] == kTemplateFieldOpen)
            openSpan = i;
        else if (text[i] == kTemplateFieldClose)
            openSpan = std::string_view::npos;
        column = advance(text, i, column, tabWidth);
        if (column > width) return openSpan != std::string_view::npos ? openSpan : i;
    }
    return std::string_view::npos;
}

int lineWidthOf(std::string_view text, const EditorSettings& s) {
    const bool quoted =
        !s.quoteMark.empty() && s.quoteMark.size() < text.size() && text.starts_with(s.quoteMark);
    return quoted ? s.quotedWidth : s.normalWidth;
}

std::vector<std::size_t> breakParagraph(std::string_view text, const EditorSettings& s) {
    std::vector<std::size_t> breaks;
    const int width = lineWidthOf(text, s);
    std::size_t lineStart = 0;
    for (;;) {
        std::size_t candidate = widthBreak(text, lineStart, width, s.tabWidth);
        if (candidate == std::string_view::npos) break;
        if (candidate == lineStart) {
            // A field span at the line start wider than the line: break after it, or, when
            // it is never closed, at the width.
            const std::size_t close = text.find(kTemplateFieldClose, lineStart);
            candidate = close != std::string_view::npos
                            ? close + 1
                            : widthBreakIgnoringSpans(text, lineStart, width, s.tabWidth);
            if (candidate == std::string_view::npos) break;
        } else {
            const LineWalk walk(text, lineStart);
            if (s.wordWrap) candidate = wrapWord(text, walk, lineStart, candidate);
            if (candidate >= text.size()) break;
            if (s.kinsoku) candidate = applyKinsoku(text, walk, lineStart, candidate, width, s);
            if (candidate >= text.size()) break;
            if (s.unsplittable) candidate = keepWordsWhole(text, walk, lineStart, candidate, s);
        }
        // Every display line holds a character, whatever the settings.
        if (candidate <= lineStart) candidate = lineStart + sjisCharWidth(text, lineStart);
        if (candidate >= text.size()) break;
        breaks.push_back(candidate);
        lineStart = candidate;
    }
    return breaks;
}

std::size_t offsetAtColumn(std::string_view text, std::size_t lineStart, std::size_t lineEnd,
                           int column, int tabWidth) {
    int sum = 0;
    std::size_t i = lineStart;
    while (i < lineEnd) {
        const int next = advance(text, i, sum, tabWidth);
        if (next > column) break;
        sum = next;
        i += sjisCharWidth(text, i);
    }
    return std::min(i, lineEnd);
}

}  // namespace morvaline
