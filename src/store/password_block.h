#pragma once
// The password block of the document file: 112 words in which the password's bytes, split
// into 2-bit groups, and filler words are interleaved in a fixed order.

#include <string>
#include <string_view>

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

void writePasswordBlock(ArchiveWriter& ar, std::string_view password);  // at most 24 bytes
std::string readPasswordBlock(ArchiveReader& ar);

}  // namespace morvaline
