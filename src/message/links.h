#pragma once
// Links in a line of message text: web addresses, host locations, user IDs, mail
// addresses, message numbers and library file references, and the command that each
// offers in the message view. Texts are Shift_JIS bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// Kinds of link, with the run codes the text view keeps for them.
enum class LinkKind : int {
    HostLocation = 5,   // "LUDRIX:" and a path
    WebAddress = 6,     // "http://", "https://", "ftp://", "gopher://", "news://"
    UserId = 7,         // three letters and five digits
    MailAddress = 8,    // a word with "@" inside
    MessageNumber = 9,  // "#" and digits
    LibraryFile = 10,   // "DL#" or "LIB#", then digits and "/", "-", digits
};

// The kinds the user has switched on, as a set of bits (1 << code).
using LinkKinds = unsigned;
constexpr LinkKinds linkKindBit(LinkKind kind) {
    return 1u << static_cast<int>(kind);
}
inline constexpr LinkKinds kAllLinkKinds =
    linkKindBit(LinkKind::HostLocation) | linkKindBit(LinkKind::WebAddress) |
    linkKindBit(LinkKind::UserId) | linkKindBit(LinkKind::MailAddress) |
    linkKindBit(LinkKind::MessageNumber) | linkKindBit(LinkKind::LibraryFile);

// One link: the bytes [begin, end) of the line.
struct LinkRun {
    std::size_t begin = 0;
    std::size_t end = 0;
    LinkKind kind = LinkKind::WebAddress;
    friend bool operator==(const LinkRun&, const LinkRun&) = default;
};

// The links of one line, in order and without overlap. Letters match in either case;
// double-byte characters are never part of a link. A kind outside `enabled` is not looked for.
std::vector<LinkRun> FindLinks(std::string_view line, LinkKinds enabled = kAllLinkKinds);

// The text of the command a link offers: the link text followed by " を表示",
// " へﾒｰﾙ予約", " へｼﾞｬﾝﾌﾟ" or " をﾀﾞｳﾝﾛｰﾄﾞ予約"; empty for a code that is no link.
std::string LinkLabel(std::string_view text, int code);

}  // namespace morvaline
