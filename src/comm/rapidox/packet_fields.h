#pragma once
// Contents of the parameter header and of the control packets: building them and
// checking them strictly. A failed check is a protocol error for the caller.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline::rapidox {

// The options of a parameter exchange. P1, P3 and P4 are checked and echoed; they select
// nothing else.
struct Parameters {
    char p1 = '1';
    int window = 0;  // 1 ... 99 as sent; the receiver and sender cap it by their maximum
    char p3 = '1';
    char p4 = '1';  // '0' when absent
};

// Data of the parameter header: "10%02d11" with the sender's maximum window.
std::string parameterData(int window);
// The receiver's check of the parameter header data (128 bytes). A window "00" is refused.
std::optional<Parameters> parseParameterData(std::string_view data);

// Fields of the "R" packet: 0x80, P1, "0", the window "%02d", "1" or "0" for P3, P4 unless "0".
std::string replyFields(const Parameters& accepted);
// The sender's check of the "R" fields; the window is returned as sent (not yet capped).
std::optional<Parameters> parseReplyFields(std::string_view fields);

// Fields of "P" and "S": 0x80 and a decimal number.
std::string numberFields(std::int64_t number);
// Non-negative decimal number after 0x80; empty when malformed or absurdly long.
std::optional<std::int64_t> parseNumberFields(std::string_view fields);

// Fields of "A" and "N": the block number with bit 7 set.
std::string blockFields(unsigned char number);
// Fields of "T": the block count with bit 7 set, then "0".
std::string doneFields(unsigned char count);

}  // namespace morvaline::rapidox
