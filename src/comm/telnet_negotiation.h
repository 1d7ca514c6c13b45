#pragma once
// The client's side of the Telnet option negotiation: the opening requests sent when the
// line comes up, the answer to each command the host sends (with the loop avoidance that
// keeps the two sides from answering each other's answers for ever), the TERMINAL TYPE
// sub-negotiation, and the trace lines that show the negotiation in the terminal when
// asked to. Pure: it turns commands into actions, the connection performs them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "comm/telnet_filter.h"

namespace morvaline {

// One step for the connection to take, in order.
struct TelnetAction {
    enum class Kind {
        Send,  // write these bytes to the line
        Show,  // feed this trace line to the terminal and the capture log
    };
    Kind kind;
    std::string bytes;

    bool operator==(const TelnetAction&) const = default;
};

class TelnetNegotiator {
public:
    // Options below this number are remembered; the others are always answered.
    static constexpr int kTableSize = 40;

    // Show trace lines ("Telnet options shown for debugging").
    void setTrace(bool on) { trace_ = on; }
    bool trace() const { return trace_; }

    // A new connection: forgets what was sent before.
    void reset();

    // The five requests sent when the line comes up: DO and WILL SUPPRESS GO AHEAD, DO
    // ECHO, DO and WILL BINARY; each followed by its trace line.
    std::vector<TelnetAction> opening();

    // What to do about a command received from the host.
    std::vector<TelnetAction> received(const TelnetCommand& command);

    // The trace line of a negotiation, such as "[Sent do ECHO]\r\n".
    static std::string traceLine(const char* direction, std::uint8_t verb, std::uint8_t option);

private:
    void send(std::vector<TelnetAction>& actions, std::uint8_t verb, std::uint8_t option);
    void answerNegotiation(std::vector<TelnetAction>& actions, std::uint8_t verb,
                           std::uint8_t option);
    void answerSubNegotiation(std::vector<TelnetAction>& actions, const std::string& stored);

    bool trace_ = false;
    // The last WILL or WONT, and the last DO or DONT, sent for each option; 0 for none.
    std::array<std::uint8_t, kTableSize> willTable_{};
    std::array<std::uint8_t, kTableSize> doTable_{};
};

}  // namespace morvaline
