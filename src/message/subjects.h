#pragma once
// Subjects of replies and forwarded mails, and the number of the message that a forum
// message answers, read out of its subject. All texts are Shift_JIS bytes.

#include <string>
#include <string_view>

namespace morvaline {

// Longest subjects the two rules produce, in bytes.
inline constexpr std::size_t kReplySubjectMax = 59;
inline constexpr std::size_t kForwardSubjectMax = 66;

// The subject of a reply: "RE:" in front of the source subject, or, with the counting style
// ("RE^2:" replies) on, a raised level: "RE: x" becomes "RE^2: x", "RE^3: x" becomes
// "RE^4: x" and "re:re^2:x" becomes "RE^4:x" (a second "RE" counts once more). Without the
// counting style a counted subject goes back to "RE". Leading spaces are skipped; a subject
// of 70 or more bytes gets no further prefix; the result is cut to 59 bytes without
// splitting a double-byte character. A level too large for a number is no level.
std::string MakeReplySubject(std::string_view subject, bool countingStyle);

// The subject of a forwarded mail: "FW:" in front of a subject of 4 to 69 bytes that does
// not begin with it, cut to 66 bytes.
std::string MakeForwardSubject(std::string_view subject);

// The number of the message that a subject answers ("RE:#123 質問", "RES>=45", "RE^2:7"),
// 0 when none is found. Every character position is tried, so the "RE" inside a word
// counts too ("MORE 5" answers 5). When the number follows a prefix at the very start, the
// subject becomes what follows the prefix without the number's digits; in every case its
// leading and trailing spaces are removed. A number too large for an int is no number.
int ReplyNumberFromSubject(std::string& subject);

}  // namespace morvaline
