#pragma once
// Tokens of structured header values (Content-Type, Content-Disposition, ...).

#include <cstddef>
#include <string>
#include <string_view>

namespace morvaline {

// Which characters end a word: the specials of mail addresses or the tspecials of MIME
// parameters.
enum class MimeTokenMode { Atom, Token };

enum class MimeTokenType {
    Atom = 1,           // a word (atom mode); bytes of 0x80 and above belong to it
    Token = 2,          // a word (token mode)
    QuotedString = 3,   // the text between double quotes, ISO-2022-JP converted, escapes removed
    DomainLiteral = 4,  // the text in square brackets (atom mode), escapes removed
    Comment = 5,        // the text in parentheses, nesting counted, escapes removed
    Special = 6,        // one special character (atom mode)
    TSpecial = 7,       // one tspecial character (token mode)
    Control = 8,        // one control character
    End = 9,            // nothing but spaces and TABs left
    Unterminated = -1,  // a quoted string, literal or comment that does not close
};

struct MimeToken {
    MimeTokenType type;
    std::string text;  // the token's text (Shift_JIS for quoted strings)
    std::size_t next;  // position just after the token
};

// Reads the token that starts at pos (spaces and TABs before it skipped).
MimeToken NextMimeToken(MimeTokenMode mode, std::string_view value, std::size_t pos);

}  // namespace morvaline
