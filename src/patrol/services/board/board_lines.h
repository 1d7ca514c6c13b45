#pragma once
// What the entry screens of boards, clubs and circles say, read from their text. Pure
// functions over Shift_JIS bytes.

#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

// The title in a board's or a club's banner: the text between "＊＊＊＊　" (or "＊＊＊＊"
// and two blanks) and "　＊＊＊＊" on one line, blanks at its ends taken off; none when the
// screen shows no banner or an empty one.
std::optional<std::string> bannerTitle(std::string_view screen);

// The code of a club or circle: its host path after "CLUB/" or "CIRCLE/" (up to a further
// "/"); empty when the path does not have that form or the code holds a byte other than a
// letter, a digit, "_" or "-".
std::string clubCode(std::string_view path, bool circle);

}  // namespace morvaline
