#include "comm/telnet_filter.h"

namespace morvaline {

using namespace telnet;

void TelnetFilter::reset() {
    state_ = State::Data;
    command_ = {};
    done_ = false;
}

// Keeps the first bytes of a sub-negotiation; the two places left at the end are for the
// closing IAC SE, so that a stored sequence always ends the way it ended on the line.
void TelnetFilter::store(std::uint8_t byte) {
    if (command_.stored.size() < kStoredLimit - 2) command_.stored += static_cast<char>(byte);
}

TelnetFilter::Byte TelnetFilter::complete(TelnetCommand::Kind kind) {
    command_.kind = kind;
    state_ = State::Data;
    done_ = true;
    return Byte::Consumed;
}

// Transitions:
//   Data       --IAC--> AfterIac; any other byte is data
//   AfterIac   --IAC--> Data (escaped 0xFF); --verb--> NeedOption; --SB--> Sub;
//              --other--> Data (a two-byte command)
//   NeedOption --option--> Data (a negotiation)
//   Sub        --IAC--> SubIac; other bytes are stored
//   SubIac     --SE--> Data (a sub-negotiation); --IAC--> Sub (data 0xFF); other: stored
TelnetFilter::Byte TelnetFilter::feed(std::uint8_t byte) {
    done_ = false;
    switch (state_) {
        case State::Data:
            if (byte != kIac) return Byte::Data;
            state_ = State::AfterIac;
            return Byte::Consumed;
        case State::AfterIac:
            command_ = {};
            command_.verb = byte;
            if (byte == kIac) {
                state_ = State::Data;
                return Byte::EscapedFF;
            }
            if (byte >= kWill) {
                state_ = State::NeedOption;
                return Byte::Consumed;
            }
            if (byte == kSb) {
                command_.stored += static_cast<char>(kSb);
                state_ = State::Sub;
                return Byte::Consumed;
            }
            return complete(TelnetCommand::Kind::Other);
        case State::NeedOption:
            command_.option = byte;
            return complete(TelnetCommand::Kind::Negotiation);
        case State::Sub:
            if (byte == kIac) {
                state_ = State::SubIac;
            } else {
                store(byte);
            }
            return Byte::Consumed;
        case State::SubIac:
            if (byte == kSe) {
                command_.stored += static_cast<char>(kIac);
                command_.stored += static_cast<char>(kSe);
                return complete(TelnetCommand::Kind::SubNegotiation);
            }
            store(kIac);
            store(byte);
            state_ = State::Sub;
            return Byte::Consumed;
    }
    return Byte::Consumed;
}

}  // namespace morvaline
