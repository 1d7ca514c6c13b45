#pragma once
// Finding a word in Shift_JIS text as a person reads it: a match begins and ends on
// character boundaries, so the trail byte of one double-byte character followed by the
// lead byte of the next never matches a word. Ignoring case folds single-byte letters only
// (the letters of double-byte characters, and trail bytes that look like letters, compare
// exactly).

#include <cstddef>
#include <string>
#include <string_view>

namespace morvaline {

// The text with its single-byte letters in upper case.
std::string sjisUpperCase(std::string_view text);

class SjisFinder {
public:
    SjisFinder(std::string_view word, bool caseSensitive);

    bool empty() const { return word_.empty(); }
    // The position of the first match at or after from (a character boundary), or npos.
    // An empty word matches at from.
    std::size_t find(std::string_view text, std::size_t from = 0) const;
    bool foundIn(std::string_view text) const { return find(text) != std::string_view::npos; }

private:
    bool matchesAt(std::string_view text, std::size_t at) const;

    std::string word_;        // upper case when case is ignored
    std::string single_;      // per byte of the word: 1 where a single-byte character stands
    bool caseSensitive_;
    bool endsWithLoneLead_ = false;  // a lead byte without its trail byte ends the word
    std::size_t anchor_ = 0;  // the word's byte searched for first: its rarest one
    char anchorUpper_ = 0, anchorLower_ = 0;
};

}  // namespace morvaline
