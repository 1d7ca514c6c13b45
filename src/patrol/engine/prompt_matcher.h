#pragma once
// The prompt matcher: finds which of up to 14 prompts the host's text shows, byte by
// byte, in one pass. Each prompt keeps a progress count (how many of its bytes the text
// has just matched), which carries over from one block of received text to the next, so
// a prompt split across blocks still matches. A quiet prompt does not match by itself:
// the caller decides whether the host fell silent after it.
//
// Pure: no lock, no clock. Matching is byte-wise on Shift_JIS text.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace morvaline {

struct Prompt {
    std::string_view text;  // Shift_JIS bytes; an empty text never matches
    bool quiet = false;     // counts only when the host then falls silent
};

class PromptMatcher {
public:
    static constexpr std::size_t kMaxPrompts = 14;

    // The prompts must outlive the matcher; at most kMaxPrompts of them.
    explicit PromptMatcher(std::span<const Prompt> prompts);

    struct Scan {
        int matched = -1;      // index of the prompt that matched, or -1
        std::size_t used = 0;  // bytes read: up to and including the match, else all
    };
    // Reads bytes until a prompt that is not quiet is complete. When two complete on the
    // same byte the lower index wins. A match resets every progress count.
    Scan scan(std::string_view bytes);

    // The first quiet prompt, in index order, that the text read so far ends with; -1 if
    // none.
    int quietPromptAtEnd() const;

    std::size_t length(int index) const {
        return prompts_[static_cast<std::size_t>(index)].text.size();
    }
    std::size_t progress(int index) const { return progress_[static_cast<std::size_t>(index)]; }

private:
    // The progress of prompt i after byte c.
    std::size_t advance(std::size_t i, unsigned char c) const;
    // Advances every prompt by byte c; the index of a prompt that is not quiet and is now
    // complete, or -1.
    int step(unsigned char c);
    void resetProgress();

    std::span<const Prompt> prompts_;
    std::array<std::size_t, kMaxPrompts> progress_{};
    // Per prompt, for each prefix length p: the length of the longest proper prefix that is
    // also a suffix of the first p bytes; the fallback on a mismatch. The tables of all
    // prompts lie one after another in one block, table_[i] where prompt i's begins; they
    // are built at the first mismatch that needs them, since a wait builds a matcher and a
    // reader waits once per line.
    void buildTables() const;
    mutable std::vector<std::size_t> fallback_;
    mutable std::array<std::size_t, kMaxPrompts> table_{};
    std::size_t longest_ = 0;  // length of the longest prompt
    std::size_t active_ = 0;   // prompts with a progress above 0
};

}  // namespace morvaline
