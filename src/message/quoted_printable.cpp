#include "message/quoted_printable.h"

#include "message/append_through.h"
#include "platform/ascii_digits.h"

#include <cstring>

namespace morvaline {

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    appendThrough(out, text.size(), [&](char* p) {
        std::size_t i = 0;
        while (i < text.size()) {
            // The text up to the next "=" as it is, in one copy.
            const void* equals = std::memchr(text.data() + i, '=', text.size() - i);
            const std::size_t run =
                (equals ? static_cast<std::size_t>(static_cast<const char*>(equals) - text.data())
                        : text.size()) -
                i;
            std::memcpy(p, text.data() + i, run);
            p += run;
            i += run;
            if (i == text.size()) break;
            const std::size_t left = text.size() - i - 1;  // bytes after the "="
            if (left >= 1 && text[i + 1] == '\r') {
                i += (left >= 2 && text[i + 2] == '\n') ? 3 : 2;  // soft line break
                continue;
            }
            const int high = left >= 2 ? hexDigitValue(text[i + 1]) : -1;
            const int low = left >= 2 ? hexDigitValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *p++ = '=';
                ++i;
                continue;
            }
            *p++ = static_cast<char>(high << 4 | low);
            i += 3;
        }
        return p;
    });
    return out;
}

}  // namespace morvaline
