#include "comm/secret_mask.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace morvaline {

void SecretMask::add(std::string_view secret) {
    if (secret.empty() || std::find(secrets_.begin(), secrets_.end(), secret) != secrets_.end())
        return;
    secrets_.emplace_back(secret);
    starts_.set(static_cast<unsigned char>(secret.front()));
}

std::string_view SecretMask::mask(std::string_view text, std::string& out, bool holdTail) const {
    std::size_t copied = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        // Most bytes start no secret: only those that do are compared.
        if (!starts_[static_cast<unsigned char>(text[pos])]) {
            ++pos;
            continue;
        }
        const std::string_view rest = text.substr(pos);
        const auto whole = std::find_if(secrets_.begin(), secrets_.end(),
                                        [&](const std::string& s) { return rest.starts_with(s); });
        if (whole != secrets_.end()) {
            out.append(text, copied, pos - copied);
            out += kSecretShown;
            pos += whole->size();
            copied = pos;
            continue;
        }
        if (holdTail && std::any_of(secrets_.begin(), secrets_.end(), [&](const std::string& s) {
                return rest.size() < s.size() && s.starts_with(rest);
            })) {
            out.append(text, copied, pos - copied);
            return rest;
        }
        ++pos;
    }
    out.append(text, copied);
    return {};
}

std::string SecretMask::masked(std::string_view text) const {
    if (secrets_.empty()) return std::string(text);
    std::string out;
    mask(text, out, false);
    return out;
}

std::string SecretMask::Stream::pass(std::string_view piece) {
    if (mask_.empty()) return flush() + std::string(piece);
    const std::string text = std::exchange(held_, {}) + std::string(piece);
    std::string out;
    held_ = mask_.mask(text, out, true);
    return out;
}

bool asksForPassword(std::string_view currentLine) {
    static const std::string kPrompts[] = {utf8ToSjis("パスワード："), utf8ToSjis("パスワード:"),
                                           utf8ToSjis("ﾊﾟｽﾜｰﾄﾞ:"), "PASSWORD:"};
    while (!currentLine.empty() && (currentLine.back() == ' ' || currentLine.back() == '\r'))
        currentLine.remove_suffix(1);
    return std::any_of(std::begin(kPrompts), std::end(kPrompts), [&](const std::string& prompt) {
        if (currentLine.size() < prompt.size()) return false;
        const std::string_view end = currentLine.substr(currentLine.size() - prompt.size());
        return std::equal(end.begin(), end.end(), prompt.begin(), [](char a, char b) {
            return a == b || (a >= 'a' && a <= 'z' && a - 'a' + 'A' == b);
        });
    });
}

}  // namespace morvaline
