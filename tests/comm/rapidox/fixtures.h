#pragma once
// Blocks and packets laid out byte by byte as the protocol defines them, with checksums
// worked out by hand, so that the engines are checked against the protocol and not only
// against their own builders.

#include <string>
#include <string_view>

namespace morvaline::rapidox::test {

// SOH, number, complement, 128 times `fill`, the checksum as given.
inline std::string block(unsigned char number, char fill, unsigned char checksum) {
    std::string b{'\x01', static_cast<char>(number), static_cast<char>(0xFF - number)};
    b.append(128, fill);
    b += static_cast<char>(checksum);
    return b;
}

// SOH, 0x00, type, the data padded with NUL to 128 bytes, the checksum as given.
inline std::string header(char type, std::string_view data, unsigned char checksum) {
    std::string b{'\x01', '\0', type};
    b.append(data);
    b.resize(131, '\0');
    b += static_cast<char>(checksum);
    return b;
}

// "A" or "N" for a block number: check byte (2 + letter + (n | 0x80)) | 0x80.
inline std::string blockPacket(char letter, unsigned number) {
    const unsigned field = (number & 0xFF) | 0x80;
    const unsigned check = ((2 + static_cast<unsigned>(letter) + field) & 0xFF) | 0x80;
    return {'\x02', letter, static_cast<char>(field), static_cast<char>(check), '\x0D'};
}

using namespace std::string_literals;

// Text with every "|" turned into NUL, for the NUL-separated fields of a file header.
inline std::string nul(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '|') c = '\0';
    return out;
}

// The end-of-file header data: the last block number, then "0".
inline std::string endOfFile(unsigned char last, char zero = '0') {
    return {static_cast<char>(last), zero};
}

// Packets with hand-computed check bytes.
inline const std::string kR20 = "\x02\x52\x80\x31\x30\x32\x30\x31\x31\xF9\x0D"s;
inline const std::string kR25 = "\x02\x52\x80\x31\x30\x32\x35\x31\x31\xFE\x0D"s;
inline const std::string kR00 = "\x02\x52\x80\x31\x30\x30\x30\x31\x31\xF7\x0D"s;
inline const std::string kP0 = "\x02\x50\x80\x30\x82\x0D"s;
inline const std::string kP7 = "\x02\x50\x80\x37\x89\x0D"s;
inline const std::string kT2 = "\x02\x54\x82\x30\x88\x0D"s;
inline const std::string kS0 = "\x02\x53\x80\x30\x85\x0D"s;
inline const std::string kS1 = "\x02\x53\x80\x31\x86\x0D"s;
inline const std::string kS5 = "\x02\x53\x80\x35\x8A\x0D"s;

// The parameter header "102011" (window 20) and its checksum.
inline std::string parameters20() {
    return header('0', "102011", 0x56);
}

}  // namespace morvaline::rapidox::test
