#pragma once
// Quoted-printable transfer decoding.

#include <string>
#include <string_view>

namespace morvaline {

// "=" with two hexadecimal digits becomes the byte they spell; "=" CR LF (a soft line
// break) and "=" CR are dropped; an "=" without two hexadecimal digits is copied as it
// stands. The result holds every decoded byte, NULs included, and is never longer than
// the input.
std::string DecodeQuotedPrintable(std::string_view text);

}  // namespace morvaline
