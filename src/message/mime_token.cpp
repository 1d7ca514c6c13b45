#include "message/mime_token.h"

#include "message/iso2022jp.h"
#include "platform/sjis.h"

namespace morvaline {
namespace {

constexpr std::string_view kSpecials = "()<>@,;:\\\".[]";
constexpr std::string_view kTSpecials = "()<>@,;:\\\"/[]?=";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Removes backslash escapes; double-byte characters are kept whole, since a trail byte
// may be 0x5C.
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (sjisCharWidth(text, i) == 2) {
            out.append(text.substr(i, 2));
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            out += text[++i];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The text after the opening character at pos up to its closing character; a comment
// counts nested parentheses. A backslash escapes the byte after it; double-byte
// characters are skipped whole.
MimeToken bracketed(std::string_view value, std::size_t pos, MimeTokenType type) {
    const bool comment = type == MimeTokenType::Comment;
    const char close = comment ? ')' : ']';
    int depth = 1;
    for (std::size_t i = pos + 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' || sjisCharWidth(value, i) == 2) {
            ++i;  // an escaped byte or the trail byte of a double-byte character
        } else if (c == close) {
            if (--depth == 0) return {type, unescape(value.substr(pos + 1, i - pos - 1)), i + 1};
        } else if (comment && c == '(') {
            ++depth;
        }
    }
    return {MimeTokenType::Unterminated, {}, value.size()};
}

MimeToken quotedString(std::string_view value, std::size_t pos) {
    // The text may be ISO-2022-JP, where a 0x22 inside two-byte mode is no quote.
    std::string converted;
    const std::string_view inside = value.substr(pos + 1);
    const std::size_t stop = JisToSjis(inside, converted, true);
    if (stop >= inside.size()) return {MimeTokenType::Unterminated, {}, value.size()};
    return {MimeTokenType::QuotedString, unescape(converted), pos + 1 + stop + 1};
}

}  // namespace

MimeToken NextMimeToken(MimeTokenMode mode, std::string_view value, std::size_t pos) {
    while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t')) ++pos;
    if (pos >= value.size()) return {MimeTokenType::End, {}, value.size()};

    const char c = value[pos];
    const bool atomMode = mode == MimeTokenMode::Atom;
    if (c == '"') return quotedString(value, pos);
    if (c == '(') return bracketed(value, pos, MimeTokenType::Comment);
    if (c == '[' && atomMode) return bracketed(value, pos, MimeTokenType::DomainLiteral);
    if (isControl(static_cast<unsigned char>(c)))
        return {MimeTokenType::Control, std::string(1, c), pos + 1};

    const std::string_view specials = atomMode ? kSpecials : kTSpecials;
    if (specials.find(c) != std::string_view::npos)
        return {atomMode ? MimeTokenType::Special : MimeTokenType::TSpecial, std::string(1, c),
                pos + 1};

    std::size_t end = pos;
    while (end < value.size()) {
        const auto b = static_cast<unsigned char>(value[end]);
        if (b == ' ' || isControl(b) ||
            specials.find(static_cast<char>(b)) != std::string_view::npos)
            break;
        ++end;
    }
    return {atomMode ? MimeTokenType::Atom : MimeTokenType::Token,
            std::string(value.substr(pos, end - pos)), end};
}

}  // namespace morvaline
