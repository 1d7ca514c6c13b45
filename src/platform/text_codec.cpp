#include "platform/text_codec.h"

#include <cerrno>
#include <iconv.h>

#include <algorithm>
#include <stdexcept>

namespace morvaline {
namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much as it can; returns the number of input bytes consumed.
    std::size_t convert(std::string_view in, std::string& out) {
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) break;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return in.size() - inLeft;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with c, 0 for a byte that cannot start one.
std::size_t utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

// Plain ASCII reads the same in all three encodings and needs no conversion.
bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
    if (isAscii(sjis)) return std::string(sjis);
    // Opening a converter costs far more than converting a line: each thread keeps one.
    thread_local Iconv cd("UTF-8", "CP932");
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    while (!sjis.empty()) {
        const std::size_t used = cd.convert(sjis, out);
        sjis.remove_prefix(used);
        if (sjis.empty()) break;
        out += "\xEF\xBF\xBD";  // U+FFFD for the byte that stopped the conversion
        sjis.remove_prefix(1);
    }
    return out;
}

std::string utf8ToSjis(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    thread_local Iconv cd("CP932", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t used = cd.convert(utf8, out);
        utf8.remove_prefix(used);
        if (utf8.empty()) break;
        const std::size_t len = utf8SequenceLength(static_cast<unsigned char>(utf8[0]));
        if (len == 0 || len > utf8.size()) {
            utf8.remove_prefix(1);  // not UTF-8: drop the byte
        } else {
            out += '?';  // a character without a Shift_JIS code
            utf8.remove_prefix(len);
        }
    }
    return out;
}

}  // namespace morvaline
