#pragma once
// The login script of an access point: a text with caret notation for control characters,
// in which "[text]" waits for the host to show text, "'" sends CR, "*" pauses 500 ms and
// every other character is sent as it stands.

#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// Expands caret notation: "^^" is "^", "^@" ... "^_" are codes 0 ... 31, "^`" ... "^~" are
// codes 0 ... 30, "^?" is 127, "^ " is NUL; a caret before anything else is dropped.
// Double-byte characters pass unchanged.
std::string expandCaretNotation(std::string_view script);

struct ScriptStep {
    enum class Kind {
        WaitFor,  // wait until the host shows text
        Send,     // send text without waiting for its echo
        Pause,    // sleep 500 ms
    };
    Kind kind;
    std::string text;
};

// The steps of an expanded script; consecutive characters to send form one step.
std::vector<ScriptStep> parseLoginScript(std::string_view expanded);

}  // namespace morvaline
