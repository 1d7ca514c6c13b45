#include "patrol/engine/prompt_matcher.h"

#include <string.h>

#include <algorithm>
#include <cassert>

namespace morvaline {

PromptMatcher::PromptMatcher(std::span<const Prompt> prompts) : prompts_(prompts) {
    assert(prompts.size() <= kMaxPrompts);
    if (prompts_.size() > kMaxPrompts) prompts_ = prompts_.first(kMaxPrompts);
    for (const Prompt& prompt : prompts_) longest_ = std::max(longest_, prompt.text.size());
}

void PromptMatcher::buildTables() const {
    std::size_t total = 0;
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        table_[i] = total;
        total += prompts_[i].text.size() + 1;
    }
    fallback_.assign(total, 0);
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        const std::string_view text = prompts_[i].text;
        // fallback[p] for p = 0 .. length; fallback[0] and fallback[1] are 0.
        std::size_t* fallback = fallback_.data() + table_[i];
        std::size_t border = 0;
        for (std::size_t p = 1; p < text.size(); ++p) {
            while (border > 0 && text[p] != text[border]) border = fallback[border];
            if (text[p] == text[border]) ++border;
            fallback[p + 1] = border;
        }
    }
}

// The longest prefix of the prompt that ends the text after c: extend the current
// progress if c continues it, otherwise fall back through ever shorter prefixes that are
// also suffixes of what was matched, and take the first that c extends. Falling back from
// one byte always leads to none, so the tables are built only when a longer progress fails.
std::size_t PromptMatcher::advance(std::size_t i, unsigned char c) const {
    const std::string_view text = prompts_[i].text;
    std::size_t p = progress_[i];
    if (p < text.size() && static_cast<unsigned char>(text[p]) == c) return p + 1;
    if (p >= 2) {
        if (fallback_.empty()) buildTables();
        const std::size_t* fallback = fallback_.data() + table_[i];
        while (p > 0 && (p == text.size() || static_cast<unsigned char>(text[p]) != c)) p = fallback[p];
    } else {
        p = 0;
    }
    return static_cast<unsigned char>(text[p]) == c ? p + 1 : 0;
}

int PromptMatcher::step(unsigned char c) {
    active_ = 0;
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        if (prompts_[i].text.empty()) continue;
        const std::size_t p = advance(i, c);
        progress_[i] = p;
        if (p == prompts_[i].text.size() && !prompts_[i].quiet) {
            resetProgress();
            return static_cast<int>(i);
        }
        if (p > 0) ++active_;
    }
    return -1;
}

void PromptMatcher::resetProgress() {
    progress_.fill(0);
    active_ = 0;
}

// Byte by byte this is step() over every byte. Received text is long and prompts are
// rare, so the bulk is searched instead: only the head (while progress carried over from
// earlier text could still complete a prompt) and the tail (which alone decides the
// progress at the end) go byte by byte.
PromptMatcher::Scan PromptMatcher::scan(std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t pos = 0;
    for (; pos < size && active_ > 0 && pos < longest_; ++pos) {
        if (const int matched = step(static_cast<unsigned char>(bytes[pos])); matched >= 0)
            return {matched, pos + 1};
    }
    if (pos == size) return {-1, size};

    // The earliest end of a prompt that is not quiet; at one byte the lower index wins.
    // No prompt ended before pos, so searching from pos - length + 1 sees every prompt that
    // ends at pos or later, including one that began in the head.
    int best = -1;
    std::size_t bestEnd = std::string_view::npos;
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        const std::string_view text = prompts_[i].text;
        if (text.empty() || prompts_[i].quiet) continue;
        const std::size_t from = pos + 1 > text.size() ? pos + 1 - text.size() : 0;
        if (from >= size) continue;
        const void* found = ::memmem(bytes.data() + from, size - from, text.data(), text.size());
        if (!found) continue;
        const std::size_t end =
            static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data()) + text.size();
        if (end < bestEnd) {
            best = static_cast<int>(i);
            bestEnd = end;
        }
    }
    if (best >= 0) {
        resetProgress();
        return {best, bestEnd};
    }

    // No match: the progress at the end depends only on the last `longest_` bytes, so
    // those are read from a fresh start when the rest is longer.
    if (size - pos > longest_) {
        resetProgress();
        pos = size - longest_;
    }
    for (; pos < size; ++pos) step(static_cast<unsigned char>(bytes[pos]));
    return {-1, size};
}

int PromptMatcher::quietPromptAtEnd() const {
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        const Prompt& prompt = prompts_[i];
        if (prompt.quiet && !prompt.text.empty() && progress_[i] == prompt.text.size())
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace morvaline
