#pragma once
// Base64 transfer encoding (RFC 2045 alphabet, "=" padding).

#include <string>
#include <string_view>

namespace morvaline {

// Four characters for every three bytes; a final group of one byte ends in "==", of two
// bytes in "=". No line breaks: the caller chooses how many bytes go on a line.
std::string Base64Encode(std::string_view bytes);

// Decodes base64 text, ignoring TAB, LF, CR and space. Any other character outside the
// alphabet and "=" makes the whole decode fail: the result is then empty, as it is for a
// text without a complete group. Decoding ends at the first group with padding; an
// incomplete group at the end is ignored.
std::string Base64Decode(std::string_view text);

}  // namespace morvaline
