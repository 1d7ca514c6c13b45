#include "comm/telnet_negotiation.h"

namespace morvaline {

using namespace telnet;

namespace {

const char* verbName(std::uint8_t verb) {
    switch (verb) {
        case kWill:
            return "will";
        case kWont:
            return "won't";
        case kDo:
            return "do";
        case kDont:
            return "don't";
        default:
            return "unknown";
    }
}

std::string optionName(std::uint8_t option) {
    switch (option) {
        case kOptBinary:
            return "BINARY";
        case kOptEcho:
            return "ECHO";
        case kOptSuppressGoAhead:
            return "SUPRESS GO AHEAD";
        case kOptStatus:
            return "STATUS";
        case kOptTimingMark:
            return "TIMING MARK";
        case kOptTerminalType:
            return "TERMINAL TYPE";
        case kOptLineMode:
            return "LINE MODE";
        default:
            return std::to_string(option);
    }
}

// The answer to WILL/WONT (a DO or DONT) or to DO/DONT (a WILL or WONT).
std::uint8_t chooseAnswer(std::uint8_t verb, std::uint8_t option) {
    if (verb == kWill || verb == kWont) {
        if (option == kOptBinary || option == kOptSuppressGoAhead) return kDo;
        if (option == kOptEcho) return verb == kWill ? kDo : kDont;
        return kDont;
    }
    if (option == kOptBinary || option == kOptSuppressGoAhead) return kWill;
    if (option == kOptTerminalType) return verb == kDo ? kWill : kWont;
    return kWont;
}

}  // namespace

void TelnetNegotiator::reset() {
    willTable_.fill(0);
    doTable_.fill(0);
}

std::string TelnetNegotiator::traceLine(const char* direction, std::uint8_t verb,
                                        std::uint8_t option) {
    return std::string("[") + direction + " " + verbName(verb) + " " + optionName(option) + "]\r\n";
}

void TelnetNegotiator::send(std::vector<TelnetAction>& actions, std::uint8_t verb,
                            std::uint8_t option) {
    actions.push_back(
        {TelnetAction::Kind::Send,
         {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)}});
    if (trace_) actions.push_back({TelnetAction::Kind::Show, traceLine("Sent", verb, option)});
    if (option < kTableSize) {
        if (verb == kWill || verb == kWont) willTable_[option] = verb;
        if (verb == kDo || verb == kDont) doTable_[option] = verb;
    }
}

std::vector<TelnetAction> TelnetNegotiator::opening() {
    std::vector<TelnetAction> actions;
    send(actions, kDo, kOptSuppressGoAhead);
    send(actions, kWill, kOptSuppressGoAhead);
    send(actions, kDo, kOptEcho);
    send(actions, kDo, kOptBinary);
    send(actions, kWill, kOptBinary);
    return actions;
}

std::vector<TelnetAction> TelnetNegotiator::received(const TelnetCommand& command) {
    std::vector<TelnetAction> actions;
    switch (command.kind) {
        case TelnetCommand::Kind::Negotiation:
            answerNegotiation(actions, command.verb, command.option);
            break;
        case TelnetCommand::Kind::SubNegotiation:
            answerSubNegotiation(actions, command.stored);
            break;
        case TelnetCommand::Kind::Other:
            break;  // no answer
    }
    return actions;
}

// An answer equal to what the program last sent for the option is the host acknowledging
// the program's own request: it is not answered again, and the request is forgotten.
void TelnetNegotiator::answerNegotiation(std::vector<TelnetAction>& actions, std::uint8_t verb,
                                         std::uint8_t option) {
    if (trace_) actions.push_back({TelnetAction::Kind::Show, traceLine("Recv", verb, option)});
    const std::uint8_t answer = chooseAnswer(verb, option);
    if (option < kTableSize) {
        std::uint8_t& sent =
            (verb == kWill || verb == kWont) ? doTable_[option] : willTable_[option];
        if (sent == answer) {
            sent = 0;
            return;
        }
    }
    send(actions, answer, option);
}

void TelnetNegotiator::answerSubNegotiation(std::vector<TelnetAction>& actions,
                                            const std::string& stored) {
    if (trace_) {
        std::string line = "[Recv SB";
        for (std::size_t i = 1; i < stored.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(stored[i]);
            if (byte == kIac) continue;
            if (byte == kSe) {
                line += " SE";
            } else {
                line += ' ';
                line += std::to_string(static_cast<int>(static_cast<std::int8_t>(byte)));
            }
        }
        line += "]\r\n";
        actions.push_back({TelnetAction::Kind::Show, std::move(line)});
    }
    // TERMINAL TYPE SEND: answer IS "UNKNOWN", followed by one NUL byte. The stored
    // subnegotiation is SB (0xFA), TERMINAL-TYPE (0x18), SEND (0x01), IAC (0xFF); the answer
    // IAC SB TERMINAL-TYPE IS (0x00) "UNKNOWN" IAC SE (0xF0), then the NUL.
    static constexpr std::string_view kTerminalTypeSend{"\xFA\x18\x01\xFF", 4};
    static constexpr std::string_view kTerminalTypeIs{"\xFF\xFA\x18\x00UNKNOWN\xFF\xF0\x00", 14};
    if (stored.starts_with(kTerminalTypeSend))
        actions.push_back({TelnetAction::Kind::Send, std::string(kTerminalTypeIs)});
}

}  // namespace morvaline
