#pragma once
// Keeps the secrets the program sends (passwords) out of what it records: in transcripts
// and capture logs every occurrence of a secret becomes "****". A host that echoes a
// password is masked too, also when the echo arrives in pieces.

#include <bitset>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvaline {

inline constexpr std::string_view kSecretShown = "****";

class SecretMask {
public:
    // A secret to mask from now on (without its line end); empty ones are ignored.
    void add(std::string_view secret);
    bool empty() const { return secrets_.empty(); }
    // A whole text with every secret masked.
    std::string masked(std::string_view text) const;

    // Masks a stream of text that comes in pieces. A piece's tail that may begin a secret
    // is held back until the next piece tells; flush() gives it up as it is.
    class Stream {
    public:
        explicit Stream(const SecretMask& mask) : mask_(mask) {}
        std::string pass(std::string_view piece);
        std::string flush() { return std::exchange(held_, {}); }

    private:
        const SecretMask& mask_;
        std::string held_;
    };

private:
    // Masks text into out; with holdTail, a tail that is the beginning of a secret is
    // returned instead of copied.
    std::string_view mask(std::string_view text, std::string& out, bool holdTail) const;

    std::vector<std::string> secrets_;
    std::bitset<256> starts_;  // the first bytes of the secrets
};

// True when the host's current line (the text after its last LF) asks for a password, so
// that what is typed next is a secret: it ends, blanks aside, with "PASSWORD:" in any case
// or "パスワード：" in either width.
bool asksForPassword(std::string_view currentLine);

}  // namespace morvaline
