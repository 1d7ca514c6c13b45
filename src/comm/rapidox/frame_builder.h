#pragma once
// The framing of everything that goes on the line: 132-byte data and header blocks with
// their checksums, and the control packets STX letter fields check CR.

#include <string>
#include <string_view>

namespace morvaline::rapidox {

// SOH, number, its complement, the data padded with SUB to 128 bytes, the sum of the data.
std::string dataBlock(unsigned char number, std::string_view data);
// SOH, 0x00, the type, the data padded with NUL to 128 bytes, the sum of all 131 bytes.
std::string headerBlock(unsigned char type, std::string_view data);
// The end-of-file header: the number of the last data block, then "0".
std::string endOfFileBlock(unsigned char lastNumber);
// STX, letter, fields, the sum of everything before it with bit 7 set, CR.
std::string controlPacket(char letter, std::string_view fields);

// The check byte of a packet whose bytes before the check byte are given.
unsigned char packetCheck(std::string_view bytesBeforeCheck);
// Sum modulo 256.
unsigned char byteSum(std::string_view bytes, unsigned char start = 0);

}  // namespace morvaline::rapidox
