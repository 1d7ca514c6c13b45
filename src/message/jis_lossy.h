#pragma once
// What ISO-2022-JP cannot carry: the characters of a Shift_JIS text that its conversion
// would drop or garble (vendor extensions such as circled digits and roman numerals,
// user-defined characters, bytes that form no character). Half-width katakana are carried,
// as their full-width forms.

#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// Each such character once, in the order of first appearance (Shift_JIS bytes).
std::vector<std::string> LostInIso2022Jp(std::string_view sjis);

}  // namespace morvaline
