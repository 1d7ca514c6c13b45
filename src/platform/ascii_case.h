#pragma once
// ASCII comparisons without regard to case, for header names, media types and tokens.
// Bytes of 0x80 and above compare as they are.

#include <algorithm>
#include <cstddef>
#include <cstring>
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
    if (needle.empty() || from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    const char lower = asciiLower(needle[0]);
    const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 'a' + 'A') : lower;
    const std::size_t last = text.size() - needle.size();  // the last place it can start
    for (std::size_t at = from; at <= last; ++at) {
        if (lower == upper) {
            // A first byte without case (a line end, say) is found by memchr.
            const void* hit = std::memchr(text.data() + at, lower, last + 1 - at);
            if (!hit) break;
            at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        } else if (text[at] != lower && text[at] != upper) {
            continue;
        }
        if (equalsNoCase(text.substr(at, needle.size()), needle)) return at;
    }
    return std::string_view::npos;
}

}  // namespace morvaline
