#pragma once
// The bytes around a field in a stored template text: "(相手ﾊﾝﾄﾞﾙ名)" as a person writes it
// is kept as 0x01 相手ﾊﾝﾄﾞﾙ名 0x02. Control bytes that typed text never holds, so that a
// parenthesis of the text stays a parenthesis.

namespace morvaline {

inline constexpr char kTemplateFieldOpen = '\x01';
inline constexpr char kTemplateFieldClose = '\x02';

}  // namespace morvaline
