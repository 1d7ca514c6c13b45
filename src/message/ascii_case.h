#pragma once
// ASCII comparisons without regard to case, for header names, media types and tokens.
// Bytes of 0x80 and above compare as they are.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace morvaline {

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// Position of the first occurrence of needle at or after from; npos when there is none.
inline std::size_t findNoCase(std::string_view text, std::string_view needle,
                              std::size_t from = 0) {
    if (needle.empty() || from > text.size()) return std::string_view::npos;
    const auto it =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), needle.begin(),
                    needle.end(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

}  // namespace morvaline
