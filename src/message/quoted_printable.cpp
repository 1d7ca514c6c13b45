#include "message/quoted_printable.h"

namespace morvaline {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '=') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t left = text.size() - i - 1;  // bytes after the "="
        if (left >= 1 && text[i + 1] == '\r') {
            i += (left >= 2 && text[i + 2] == '\n') ? 3 : 2;  // soft line break
            continue;
        }
        const int high = left >= 2 ? hexValue(text[i + 1]) : -1;
        const int low = left >= 2 ? hexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            out += '=';
            ++i;
            continue;
        }
        out += static_cast<char>(high << 4 | low);
        i += 3;
    }
    return out;
}

}  // namespace morvaline
