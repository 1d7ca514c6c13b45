#pragma once
// The title line with which a message or comment written offline is posted to a room.

#include <string>

namespace morvaline {

class CItem;

// The longest title line, in bytes.
inline constexpr std::size_t kPostTitleMax = 72;

// The item's title; a comment (an item with a target) says which message it answers with
// "RE:#n " in front, in place of a plain "RE:" (a title that names the number already
// stays as it is). Cut to kPostTitleMax bytes without splitting a double-byte character.
std::string postTitleLine(const CItem& item);

}  // namespace morvaline
