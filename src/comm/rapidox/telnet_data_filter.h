#pragma once
// The data bytes of a Telnet stream: IAC IAC becomes one 0xFF, and the other Telnet
// commands (options, sub-negotiations) are removed. A transfer cannot answer a
// negotiation in the middle of a batch, so it drops them. State carries over between
// calls, so a command split across two reads is handled.

#include <string>
#include <string_view>

namespace morvaline::rapidox {

class TelnetDataFilter {
public:
    // Appends the data bytes of `in` to `out`.
    void filter(std::string_view in, std::string& out);

private:
    enum class State {
        Data,     // plain data
        Command,  // IAC read
        Option,   // IAC WILL/WONT/DO/DONT read; the option byte follows
        Sub,      // inside IAC SB ... IAC SE
        SubIac,   // IAC read inside a sub-negotiation
    };
    State state_ = State::Data;
};

// `bytes` with every 0xFF doubled, as data must be written on a Telnet line.
std::string doubleTelnetIac(std::string_view bytes);

}  // namespace morvaline::rapidox
