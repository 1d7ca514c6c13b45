#include "store/password_block.h"

#include <array>
#include <cstdint>

#include "store/archive.h"

namespace morvaline {
namespace {

constexpr int kWords = 112;
constexpr int kPasswordBytes = 24;
constexpr int kGroups = kPasswordBytes * 4;  // 96 groups of 2 bits

// The word that carries group k (k < 96) or filler word k - 96: a fixed permutation of the
// 112 positions (37 and 112 share no factor).
constexpr int position(int k) { return (k * 37 + 11) % kWords; }

// Bits above the two that carry data, so that equal groups do not look equal.
constexpr std::uint32_t noise(int k) {
    std::uint32_t x = static_cast<std::uint32_t>(k) * 2654435761u + 0x9E3779B9u;
    x ^= x >> 15;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    return x & ~3u;
}

}  // namespace

void writePasswordBlock(ArchiveWriter& ar, std::string_view password) {
    std::array<std::uint32_t, kWords> words{};
    for (int k = 0; k < kWords; ++k) {
        std::uint32_t group = 0;
        if (k < kGroups) {
            const int byteIndex = k / 4;
            const auto byte = byteIndex < static_cast<int>(password.size())
                                  ? static_cast<std::uint8_t>(password[static_cast<std::size_t>(byteIndex)])
                                  : std::uint8_t{0};
            group = (byte >> (2 * (k % 4))) & 3u;
        }
        words[static_cast<std::size_t>(position(k))] = noise(k) | group;
    }
    for (const std::uint32_t w : words) ar.writeUInt32(w);
}

std::string readPasswordBlock(ArchiveReader& ar) {
    std::array<std::uint32_t, kWords> words{};
    for (std::uint32_t& w : words) w = ar.readUInt32();
    std::string password;
    for (int i = 0; i < kPasswordBytes; ++i) {
        std::uint8_t byte = 0;
        for (int g = 0; g < 4; ++g)
            byte |= static_cast<std::uint8_t>((words[static_cast<std::size_t>(position(i * 4 + g))] & 3u) << (2 * g));
        if (byte == 0) break;
        password += static_cast<char>(byte);
    }
    return password;
}

}  // namespace morvaline
