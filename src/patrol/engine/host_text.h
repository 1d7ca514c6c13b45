#pragma once
// Tests on host text that several services share: the marker that ends a page of a paged
// listing, and the lookup of a numbered entry in a host menu. Pure functions over
// Shift_JIS bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// The position of the last line of text (after dropping one final CR LF) when that line
// is a page marker: a page counter such as " 1/ 3" written as three digits or blanks,
// "/", three digits or blanks; or exactly the host's "press N for the next screen" line.
// Otherwise -1.
long pageMarkerPosition(std::string_view text);

// As above, and only when the prompt that followed offers a next page (contains ",N").
long pageMarkerPosition(std::string_view text, std::string_view prompt);

// One numbered entry of a host menu. Entries are numbered with full-width digits followed
// by a full-width full stop; an entry's text runs to the next number written that way.
struct MenuEntry {
    std::string text;      // the entry's text after its number
    std::size_t rest = 0;  // offset in the listing where the next numbered entry begins
                           // (the listing's length when none follows)
};

// Finds the entry numbered number in listing; a larger number that merely contains the
// digits (12 when looking for 2) does not count.
std::optional<MenuEntry> findMenuEntry(std::string_view listing, int number);

// Every numbered entry of a listing in order: its number (absent when it does not fit an
// int) and its text up to the next numbered entry.
struct NumberedEntry {
    std::optional<int> number;
    std::string_view text;
};
std::vector<NumberedEntry> menuEntries(std::string_view listing);

}  // namespace morvaline
