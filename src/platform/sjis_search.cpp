#include "platform/sjis_search.h"

#include <cstring>

#include "platform/sjis.h"

namespace morvaline {
namespace {

bool isLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
char upper(char c) { return isLower(static_cast<unsigned char>(c)) ? static_cast<char>(c - 'a' + 'A') : c; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// How often a byte turns up in Japanese text, roughly (higher: more often). The search looks
// for the word's least frequent byte first, so that it stops at few places that cannot match.
int frequency(unsigned char c) {
    if (c >= 0x81 && c <= 0x83) return 9;  // punctuation, hiragana and katakana lead bytes
    if (c == ' ' || c == '\r' || c == '\n') return 9;
    if (isLower(c)) return 7;
    if ((c >= 0x88 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA)) return 6;  // kanji lead bytes
    if (c >= '0' && c <= '9') return 5;
    if (c >= 'A' && c <= 'Z') return 4;
    if (c < 0x80) return 3;
    return 2;  // trail bytes and half-width katakana spread over many values
}

}  // namespace

std::string sjisUpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t width = sjisCharWidth(out, i);
        if (width == 1) out[i] = upper(out[i]);
        i += width;
    }
    return out;
}

SjisFinder::SjisFinder(std::string_view word, bool caseSensitive)
    : word_(caseSensitive ? std::string(word) : sjisUpperCase(word)),
      single_(word.size(), 0),
      caseSensitive_(caseSensitive) {
    for (std::size_t i = 0; i < word_.size();) {
        const std::size_t width = sjisCharWidth(word_, i);
        if (width == 1) {
            single_[i] = 1;
            endsWithLoneLead_ = i + 1 == word_.size() && isSjisLeadByte(static_cast<unsigned char>(word_[i]));
        }
        i += width;
    }
    int best = 100;
    for (std::size_t i = 0; i < word_.size(); ++i) {
        const int f = frequency(static_cast<unsigned char>(word_[i]));
        if (f <= best) {
            best = f;
            anchor_ = i;
        }
    }
    if (!word_.empty()) {
        anchorUpper_ = word_[anchor_];
        anchorLower_ = !caseSensitive && single_[anchor_] ? lower(anchorUpper_) : anchorUpper_;
    }
}

bool SjisFinder::matchesAt(std::string_view text, std::size_t at) const {
    if (caseSensitive_) return std::memcmp(text.data() + at, word_.data(), word_.size()) == 0;
    // Where the word has a single-byte character the text has one too (a letter is never a
    // lead byte), so folding the text's byte there folds a whole character.
    for (std::size_t i = 0; i < word_.size(); ++i) {
        const char c = text[at + i];
        if ((single_[i] ? upper(c) : c) != word_[i]) return false;
    }
    return true;
}

std::size_t SjisFinder::find(std::string_view text, std::size_t from) const {
    constexpr std::size_t npos = std::string_view::npos;
    if (word_.empty()) return from <= text.size() ? from : npos;
    if (from > text.size() || text.size() - from < word_.size()) return npos;
    const char* const data = text.data();
    const std::size_t last = text.size() - word_.size();  // the last possible start
    // `known` is a character boundary at or before every candidate still to come; the
    // boundary test walks back from a candidate no further than it, so that the whole text
    // is walked back over at most once.
    std::size_t known = from;
    std::size_t nextUpper = from + anchor_, nextLower = nextUpper;
    auto locate = [&](char value, std::size_t start) -> std::size_t {
        if (start >= text.size()) return npos;
        const void* hit = std::memchr(data + start, value, text.size() - start);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : npos;
    };
    nextUpper = locate(anchorUpper_, nextUpper);
    nextLower = anchorLower_ == anchorUpper_ ? npos : locate(anchorLower_, nextLower);
    for (;;) {
        const std::size_t hit = std::min(nextUpper, nextLower);
        if (hit == npos) return npos;
        if (hit == nextUpper) nextUpper = locate(anchorUpper_, hit + 1);
        else nextLower = locate(anchorLower_, hit + 1);
        const std::size_t at = hit - anchor_;
        if (at > last) return npos;
        if (at < known || !matchesAt(text, at)) continue;
        // Bytes in the lead byte range before the candidate, back to the last byte that
        // cannot be a lead byte (after which a character begins) or to `known`, pair up as
        // double-byte characters: an odd run puts the candidate on a trail byte, unless its
        // byte cannot be a trail byte and the lead byte before it stands alone.
        std::size_t run = 0;
        while (at - run > known && isSjisLeadByte(static_cast<unsigned char>(data[at - run - 1]))) ++run;
        const bool onTrail = run % 2 == 1 && isSjisTrailByte(static_cast<unsigned char>(data[at]));
        known = onTrail ? at + 1 : at;
        if (onTrail) continue;
        const std::size_t end = at + word_.size();
        if (endsWithLoneLead_ && end < text.size() && isSjisTrailByte(static_cast<unsigned char>(data[end])))
            continue;  // the word's last lead byte would pair with the text's next byte
        return at;
    }
}

}  // namespace morvaline
