#pragma once
// Recognisers of the host's text, one line at a time: message tags and title lines of
// boards, page counters, prompts, mail list lines and the end of a uuencoded part. Lines
// are Shift_JIS without their line end.

#include <cstddef>
#include <string_view>

namespace morvaline {

// Length of the message tag ("#12/3") that begins the line, 0 when there is none. The tag
// is "#", digits and at least one "/", ended by a space, a double-byte character or the
// end of the line.
std::size_t messageTagLength(std::string_view line);

// "★タイトル (" followed by upper-case letters, digits and spaces closed by ")".
bool isTitleLine(std::string_view line);

enum class PageLine {
    None,  // not a page counter
    More,  // a page counter of a page that is not the last
    Last,  // the counter of the last page ("  3/  3")
};
// A page counter: exactly 7 characters of digits, spaces and one "/".
PageLine pageLine(std::string_view line);

// The prompt of a board or a room, or the counter of a last page.
bool isBoardPrompt(std::string_view line);
// The prompt of the mail reader, or the counter of a last page.
bool isMailPrompt(std::string_view line);

// A line of the mail list: "#", eight digits, nine spaces, "yy/mm/dd", four spaces,
// "hh:mm:ss" (38 characters).
bool isMailListLine(std::string_view line);
// The date and time of a mail list line (20 characters from position 18), empty when the
// line is not one.
std::string_view mailListDate(std::string_view line);

// The tag line without its comment marker ("    *** ｺﾒﾝﾄ " or " ｺﾒﾝﾄ数(") and what follows.
std::string_view cutCommentMarker(std::string_view tagLine);

// "end" alone on a line: the close of a uuencoded part.
inline bool isUuEndLine(std::string_view line) { return line == "end"; }

}  // namespace morvaline
