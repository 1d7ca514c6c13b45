#include "patrol/services/board/board_lines.h"

#include "platform/text_codec.h"

namespace morvaline {

std::optional<std::string> bannerTitle(std::string_view screen) {
    static const std::string kStars = sj("＊＊＊＊");
    static const std::string kWideBlank = sj("　");
    for (std::size_t at = screen.find(kStars); at != std::string_view::npos; at = screen.find(kStars, at + 1)) {
        std::size_t start = at + kStars.size();
        if (screen.substr(start, kWideBlank.size()) == kWideBlank) start += kWideBlank.size();
        else if (screen.substr(start, 2) == "  ") start += 2;
        else continue;
        const std::size_t end = screen.find(kWideBlank + kStars, start);
        const std::size_t lineEnd = screen.find_first_of("\r\n", start);
        if (end == std::string_view::npos || (lineEnd != std::string_view::npos && lineEnd < end)) continue;
        std::string_view title = screen.substr(start, end - start);
        while (title.starts_with(kWideBlank)) title.remove_prefix(kWideBlank.size());
        while (title.ends_with(kWideBlank)) title.remove_suffix(kWideBlank.size());
        while (!title.empty() && title.front() == ' ') title.remove_prefix(1);
        while (!title.empty() && title.back() == ' ') title.remove_suffix(1);
        if (!title.empty()) return std::string(title);
    }
    return std::nullopt;
}

std::string clubCode(std::string_view path, bool circle) {
    const std::string_view prefix = circle ? "CIRCLE/" : "CLUB/";
    if (!path.starts_with(prefix)) return {};
    std::string_view code = path.substr(prefix.size());
    code = code.substr(0, code.find('/'));
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-'))
            return {};
    return std::string(code);
}

}  // namespace morvaline
