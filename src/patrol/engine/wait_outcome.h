#pragma once
// Typed outcomes of the engine's waits. A wait ends in one of two ways: a prompt of the set
// it waited for appeared, or the run's result code ended it (see link/result_codes.h). A
// screen set names its prompts by an enum of its own, whose values are their positions in
// the set, so that a caller asks "was it the notices question?" rather than "was it 1?".

#include <array>
#include <cstddef>

#include "link/result_codes.h"
#include "patrol/engine/prompt_matcher.h"

namespace morvaline {

template <class Which>
class [[nodiscard]] Waited {
public:
    static constexpr Waited prompt(Which which) { return Waited(which, result::Ok); }
    // code is not Ok.
    static constexpr Waited ended(int code) { return Waited(Which{}, code); }

    // A prompt of the set ended the wait.
    explicit operator bool() const { return code_ == result::Ok; }
    // The prompt that ended the wait (only meaningful when one did).
    Which which() const { return which_; }
    bool is(Which which) const { return code_ == result::Ok && which_ == which; }
    // The result code that ended the run; Ok when a prompt ended the wait.
    result::Code code() const { return static_cast<result::Code>(code_); }

private:
    constexpr Waited(Which which, int code) : which_(which), code_(code) {}
    Which which_;
    int code_;
};

// The prompts of one screen, in the order of Which's values.
template <class Which, std::size_t N>
struct Screen {
    std::array<Prompt, N> prompts;
};

// What ReadLine and ReadScreenLine read.
enum class LineRead {
    Line,    // a line, without its CR LF
    Prompt,  // one of the prompts given ended the output
};

// What ReadMenuLine read.
enum class MenuRead {
    Line,       // a line of the menu
    MorePages,  // the menu prompt, offering a further page
    LastPage,   // the menu prompt of the last page
};

}  // namespace morvaline
