#pragma once
// Trimming text and cutting columns out of a line. The plain trims take the set of ASCII bytes to remove; the host-text trims
// also remove the full-width blank "　" and read Shift_JIS from the start, so that the
// trail byte of a character is never taken for a blank.

#include <string_view>

namespace morvaline {

std::string_view trimFront(std::string_view text, std::string_view bytes);
std::string_view trimBack(std::string_view text, std::string_view bytes);
inline std::string_view trim(std::string_view text, std::string_view bytes) {
    return trimBack(trimFront(text, bytes), bytes);
}

// The bytes of a line from column pos on (at most count of them); empty when the line is
// shorter, as a host line often is.
inline std::string_view textFrom(std::string_view line, std::size_t pos,
                                 std::size_t count = std::string_view::npos) {
    return pos < line.size() ? line.substr(pos, count) : std::string_view();
}

// Trailing blanks, CR, LF and full-width blanks removed.
std::string_view trimHostTextEnd(std::string_view text);
// Leading blanks, and trailing blanks, CR, LF and full-width blanks, removed.
std::string_view trimHostText(std::string_view text);
// Blanks and full-width blanks removed at both ends (CR and LF at the end too).
std::string_view trimBlanks(std::string_view text);

}  // namespace morvaline
