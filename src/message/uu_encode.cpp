#include "message/uu_encode.h"

#include "platform/atomic_file.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

constexpr std::size_t kBytesPerLine = 45;

char uuChar(unsigned value) {
    return value == 0 ? '`' : static_cast<char>(value + 32);
}

void appendLine(std::string& out, std::string_view bytes) {
    out += uuChar(static_cast<unsigned>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        // Missing bytes of the last group count as zero.
        const unsigned b0 = static_cast<unsigned char>(bytes[i]);
        const unsigned b1 = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const unsigned b2 = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        out += uuChar(b0 >> 2);
        out += uuChar((b0 & 3) << 4 | b1 >> 4);
        out += uuChar((b1 & 15) << 2 | b2 >> 6);
        out += uuChar(b2 & 63);
    }
    out += '\r';
}

}  // namespace

std::string EncodeUuBlock(std::string_view sjisName, std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 4 / 3 + bytes.size() / kBytesPerLine * 2 + sjisName.size() + 32);
    out += "begin 600 ";
    out += sjisName;
    out += '\r';
    for (std::size_t i = 0; i < bytes.size(); i += kBytesPerLine)
        appendLine(out, bytes.substr(i, kBytesPerLine));
    out += "`\rend\r";
    return out;
}

std::optional<std::string> EncodeUuFile(const std::filesystem::path& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) return std::nullopt;
    return EncodeUuBlock(utf8ToSjis(path.filename().string()), bytes);
}

}  // namespace morvaline
