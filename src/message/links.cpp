#include "message/links.h"

#include <array>

#include "platform/ascii_digits.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool isTokenChar(char c) {
    return isAsciiDigit(c) || isUpper(c) || c == '%' || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isWebChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x23 && b <= 0x26) || b == 0x2B || (b >= 0x2D && b <= 0x3B) || b == 0x3D ||
           (b >= 0x3F && b <= 0x7E);
}

bool isLocationChar(char c) {
    return c == '/' || isAsciiDigit(c) || isUpper(c) || c == '_';
}

constexpr std::array<std::string_view, 5> kWebSchemes = {"HTTP://", "HTTPS://", "FTP://",
                                                         "GOPHER://", "NEWS://"};
constexpr std::string_view kLocation = "LUDRIX:";
constexpr std::array<std::string_view, 3> kNotUserIds = {"INE", "WID", "INT"};

// The line with its single-byte letters upper-cased; the bytes of double-byte characters
// stay as they are, so that a trail byte never reads as a letter.
std::string upperCased(std::string_view line) {
    std::string upper(line);
    for (std::size_t i = 0; i < upper.size();) {
        const std::size_t width = sjisCharWidth(line, i);
        if (width == 1 && upper[i] >= 'a' && upper[i] <= 'z') upper[i] = upper[i] - 'a' + 'A';
        i += width;
    }
    return upper;
}

// The bytes of the line from `from` on are single-byte characters while their test holds.
template <typename Test>
std::size_t runWhile(std::string_view text, std::size_t from, Test test) {
    while (from < text.size() && test(text[from])) ++from;
    return from;
}

// End of a library reference whose digits begin at `at`: digits, then digits or "/", "-"
// and digits again; 0 when the text breaks the form.
std::size_t libraryEnd(std::string_view text, std::size_t at) {
    if (at >= text.size() || !isAsciiDigit(text[at])) return 0;
    at = runWhile(text, at, [](char c) { return isAsciiDigit(c) || c == '/'; });
    if (at + 1 >= text.size() || text[at] != '-' || !isAsciiDigit(text[at + 1])) return 0;
    return runWhile(text, at + 1, isAsciiDigit);
}

bool isUserId(std::string_view token) {
    if (token.size() != 8) return false;
    for (std::size_t i = 0; i < 8; ++i) {
        if (i < 3 ? !isUpper(token[i]) : !isAsciiDigit(token[i])) return false;
    }
    for (const auto excluded : kNotUserIds)
        if (token.starts_with(excluded)) return false;
    return true;
}

class LinkScanner {
public:
    LinkScanner(std::string_view line, LinkKinds enabled) : text_(upperCased(line)), on_(enabled) {}

    std::vector<LinkRun> scan() {
        std::size_t at = 0;
        char before = 0;  // the single-byte character before `at`; 0 after a double-byte one
        while (at < text_.size()) {
            if (sjisCharWidth(text_, at) == 2) {
                at += 2;
                before = 0;
                continue;
            }
            const std::size_t end = linkAt(at, before);
            if (end > at) {
                at = end;
                before = text_[end - 1];
            } else {
                before = text_[at++];
            }
        }
        return std::move(runs_);
    }

private:
    bool on(LinkKind kind) const { return (on_ & linkKindBit(kind)) != 0; }

    std::size_t add(std::size_t begin, std::size_t end, LinkKind kind) {
        runs_.push_back({begin, end, kind});
        return end;
    }

    // The end of the link that begins at `at`, or `at` when none does.
    std::size_t linkAt(std::size_t at, char before) {
        const std::string_view rest = std::string_view(text_).substr(at);
        if (on(LinkKind::WebAddress)) {
            for (const auto scheme : kWebSchemes)
                if (rest.starts_with(scheme))
                    return add(at, runWhile(text_, at, isWebChar), LinkKind::WebAddress);
        }
        if (on(LinkKind::HostLocation) && rest.starts_with(kLocation))
            return add(at, runWhile(text_, at + kLocation.size(), isLocationChar),
                       LinkKind::HostLocation);
        if (on(LinkKind::LibraryFile)) {
            const std::size_t digits = rest.starts_with("DL#")    ? at + 3
                                       : rest.starts_with("LIB#") ? at + 4
                                                                  : 0;
            if (const std::size_t end = digits ? libraryEnd(text_, digits) : 0)
                return add(at, end, LinkKind::LibraryFile);
        }
        if (on(LinkKind::MessageNumber) && rest.size() > 1 && rest[0] == '#' && isAsciiDigit(rest[1]) &&
            !isTokenChar(before) && before != '.')
            return add(at, runWhile(text_, at + 1, isAsciiDigit), LinkKind::MessageNumber);
        if (isTokenChar(rest[0]) && !isTokenChar(before)) return tokenAt(at);
        return at;
    }

    // A word of token characters, which "@" continues: a user ID or a mail address.
    std::size_t tokenAt(std::size_t at) {
        const std::size_t end =
            runWhile(text_, at, [](char c) { return isTokenChar(c) || c == '@'; });
        const std::string_view token = std::string_view(text_).substr(at, end - at);
        if (token.find('@') == std::string_view::npos) {
            if (on(LinkKind::UserId) && isUserId(token)) return add(at, end, LinkKind::UserId);
        } else if (on(LinkKind::MailAddress) && isTokenChar(token.back())) {
            return add(at, end, LinkKind::MailAddress);
        }
        return at;
    }

    std::string text_;
    LinkKinds on_;
    std::vector<LinkRun> runs_;
};

}  // namespace

std::vector<LinkRun> FindLinks(std::string_view line, LinkKinds enabled) {
    return LinkScanner(line, enabled).scan();
}

std::string LinkLabel(std::string_view text, int code) {
    static const std::string kShow = sj(" を表示");
    static const std::string kMail = sj(" へﾒｰﾙ予約");
    static const std::string kJump = sj(" へｼﾞｬﾝﾌﾟ");
    static const std::string kDownload = sj(" をﾀﾞｳﾝﾛｰﾄﾞ予約");
    const std::string* label = nullptr;
    switch (static_cast<LinkKind>(code)) {
        case LinkKind::HostLocation:
        case LinkKind::WebAddress:
            label = &kShow;
            break;
        case LinkKind::UserId:
        case LinkKind::MailAddress:
            label = &kMail;
            break;
        case LinkKind::MessageNumber:
            label = &kJump;
            break;
        case LinkKind::LibraryFile:
            label = &kDownload;
            break;
    }
    return label ? std::string(text) + *label : std::string();
}

}  // namespace morvaline
