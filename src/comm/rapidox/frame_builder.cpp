#include "comm/rapidox/frame_builder.h"

#include "comm/rapidox/rapidox_bytes.h"

namespace morvaline::rapidox {

unsigned char byteSum(std::string_view bytes, unsigned char start) {
    unsigned sum = start;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<unsigned char>(sum);
}

unsigned char packetCheck(std::string_view bytesBeforeCheck) {
    return static_cast<unsigned char>(byteSum(bytesBeforeCheck) | 0x80);
}

std::string dataBlock(unsigned char number, std::string_view data) {
    std::string block;
    block.reserve(kBlockSize);
    block += static_cast<char>(kSoh);
    block += static_cast<char>(number);
    block += static_cast<char>(0xFF - number);
    block.append(data.substr(0, kBlockData));
    block.resize(3 + kBlockData, static_cast<char>(kSub));
    block += static_cast<char>(byteSum(std::string_view(block).substr(3)));
    return block;
}

std::string headerBlock(unsigned char type, std::string_view data) {
    std::string block;
    block.reserve(kBlockSize);
    block += static_cast<char>(kSoh);
    block += '\0';
    block += static_cast<char>(type);
    block.append(data.substr(0, kBlockData));
    block.resize(3 + kBlockData, '\0');
    block += static_cast<char>(byteSum(block));
    return block;
}

std::string endOfFileBlock(unsigned char lastNumber) {
    const char data[] = {static_cast<char>(lastNumber), '0'};
    return headerBlock(kEndOfFileHeader, std::string_view(data, sizeof data));
}

std::string controlPacket(char letter, std::string_view fields) {
    std::string packet;
    packet.reserve(fields.size() + 4);
    packet += static_cast<char>(kStx);
    packet += letter;
    packet.append(fields);
    packet += static_cast<char>(packetCheck(packet));
    packet += static_cast<char>(kCr);
    return packet;
}

}  // namespace morvaline::rapidox
