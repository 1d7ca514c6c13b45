#pragma once
// How the texts written offline are broken into lines: the widths, the tab width, the
// quote mark, word wrap, the Japanese line-breaking rules (kinsoku) and the words that must
// not be split. One set per user, stored in the document.

#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

struct UnsplittableWord {
    std::string word;  // Shift_JIS, at most 15 bytes
    int checked = 1;   // kept and stored; the breaker applies every word of the list
    friend bool operator==(const UnsplittableWord&, const UnsplittableWord&) = default;
};

struct EditorSettings {
    static constexpr int kMinWidth = 16, kMaxWidth = 79;
    static constexpr int kMinTab = 1, kMaxTab = 16;
    static constexpr std::size_t kMaxQuoteMark = 8;
    static constexpr std::size_t kMaxWord = 15;

    int normalWidth = 70;  // columns of an ordinary line
    int quotedWidth = 78;  // columns of a line that begins with the quote mark
    int tabWidth = 8;
    int wordWrap = 1;      // alphanumeric words move whole to the next line
    int unsplittable = 1;  // the word list is applied
    int kinsoku = 1;       // the forbidden characters below are applied
    std::string quoteMark = ">";
    std::string lineStartForbidden;  // Shift_JIS characters that may not begin a line
    std::string lineEndForbidden;    // ... that may not end one
    std::vector<UnsplittableWord> words;

    // The defaults, forbidden characters included.
    static EditorSettings defaults();
    // The settings with every value brought into its range: widths and the tab width
    // outside their ranges take their defaults, the quote mark and the words are cut
    // without splitting a character, empty words are dropped.
    EditorSettings checked() const;

    friend bool operator==(const EditorSettings&, const EditorSettings&) = default;
};

// True when the character at the start of `character` (one or two bytes) is in the set.
bool inCharacterSet(std::string_view set, std::string_view character);

}  // namespace morvaline
