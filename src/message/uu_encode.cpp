#include "message/uu_encode.h"

#include "message/append_through.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"

#include <algorithm>

namespace morvaline {
namespace {

constexpr std::size_t kBytesPerLine = 45;

char uuChar(unsigned value) {
    return value == 0 ? '`' : static_cast<char>(value + 32);
}

// Writes one line for up to 45 bytes at p; returns its end.
char* putLine(char* p, const unsigned char* bytes, std::size_t count) {
    *p++ = uuChar(static_cast<unsigned>(count));
    for (std::size_t i = 0; i < count; i += 3) {
        // Missing bytes of the last group count as zero.
        const unsigned b0 = bytes[i];
        const unsigned b1 = i + 1 < count ? bytes[i + 1] : 0;
        const unsigned b2 = i + 2 < count ? bytes[i + 2] : 0;
        p[0] = uuChar(b0 >> 2);
        p[1] = uuChar((b0 & 3) << 4 | b1 >> 4);
        p[2] = uuChar((b1 & 15) << 2 | b2 >> 6);
        p[3] = uuChar(b2 & 63);
        p += 4;
    }
    *p++ = '\r';
    return p;
}

}  // namespace

std::string EncodeUuBlock(std::string_view sjisName, std::string_view bytes) {
    std::string out = "begin 600 ";
    out += sjisName;
    out += '\r';
    // A full line takes 62 characters with its CR; the last one at most as many.
    const std::size_t lines = (bytes.size() + kBytesPerLine - 1) / kBytesPerLine;
    appendThrough(out, lines * (2 + kBytesPerLine / 3 * 4), [&](char* p) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < bytes.size(); i += kBytesPerLine)
            p = putLine(p, data + i, std::min(kBytesPerLine, bytes.size() - i));
        return p;
    });
    out += "`\rend\r";
    return out;
}

std::optional<std::string> EncodeUuFile(const std::filesystem::path& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) return std::nullopt;
    return EncodeUuBlock(utf8ToSjis(path.filename().string()), bytes);
}

}  // namespace morvaline
