#pragma once
// The control bytes and fixed sizes of the Rapidox block protocol.

#include <cstddef>
#include <cstdint>

namespace morvaline::rapidox {

inline constexpr unsigned char kSoh = 0x01;
inline constexpr unsigned char kStx = 0x02;
inline constexpr unsigned char kEot = 0x04;
inline constexpr unsigned char kAck = 0x06;
inline constexpr unsigned char kCr = 0x0D;
inline constexpr unsigned char kNak = 0x15;
inline constexpr unsigned char kCan = 0x18;
inline constexpr unsigned char kSub = 0x1A;  // pads the last data block

inline constexpr std::size_t kBlockData = 128;      // data bytes in every block
inline constexpr std::size_t kBlockSize = 132;      // SOH, number, complement, data, checksum
inline constexpr std::size_t kMaxPacketBody = 127;  // bytes after STX up to the CR

// Header block types (the byte after SOH 0x00).
inline constexpr unsigned char kParameterHeader = '0';
inline constexpr unsigned char kFileHeader = '1';
inline constexpr unsigned char kEndOfFileHeader = '2';

// Limits of the window (blocks in flight) and of the retries of every exchange.
inline constexpr int kMinWindow = 1;
inline constexpr int kMaxWindow = 25;
inline constexpr int kMaxAttempts = 10;

// A file size beyond this is taken as garbage in a header, not as a real file (1 TiB).
inline constexpr std::int64_t kMaxFileSize = std::int64_t{1} << 40;

inline constexpr std::int64_t blockCountOf(std::int64_t size) {
    return (size + static_cast<std::int64_t>(kBlockData) - 1) /
           static_cast<std::int64_t>(kBlockData);
}

// Bytes that follow a CAN and start nothing (the other side's text after it cancelled)
// are kept for the text stream up to this many.
inline constexpr std::size_t kMaxAfterCan = 64 * 1024;

// A lead byte that is a signal when nothing follows it within the quiet period.
inline constexpr bool isLoneControlCandidate(unsigned char b) {
    return b == kEot || b == kAck || b == kNak || b == kCan;
}

// The window setting (RapidoxSendSize, RapidoxReceiveSize) clamped to what the protocol
// allows when a transfer starts.
inline constexpr int clampWindow(int window) {
    return window < kMinWindow ? kMinWindow : window > kMaxWindow ? kMaxWindow : window;
}

}  // namespace morvaline::rapidox
