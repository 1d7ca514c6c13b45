#pragma once
// The Telnet command recogniser: takes the command traffic out of the received byte
// stream, one byte at a time, and hands over each complete command. A pure byte pump: no
// answers, no I/O (the answers are TelnetNegotiator's).
//
// Sequences after IAC: IAC IAC is one data byte 0xFF; WILL, WONT, DO and DONT carry one
// option byte; SB runs to IAC SE whatever its length (IAC IAC inside it is a data byte);
// every other byte after IAC is a command of its own (two bytes in all), so that it never
// swallows the data byte that follows.

#include <cstddef>
#include <cstdint>
#include <string>

namespace morvaline {

namespace telnet {
inline constexpr std::uint8_t kIac = 0xFF;
inline constexpr std::uint8_t kSe = 0xF0;
inline constexpr std::uint8_t kBrk = 0xF3;
inline constexpr std::uint8_t kSb = 0xFA;
inline constexpr std::uint8_t kWill = 0xFB;
inline constexpr std::uint8_t kWont = 0xFC;
inline constexpr std::uint8_t kDo = 0xFD;
inline constexpr std::uint8_t kDont = 0xFE;

inline constexpr std::uint8_t kOptBinary = 0;
inline constexpr std::uint8_t kOptEcho = 1;
inline constexpr std::uint8_t kOptSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptStatus = 5;
inline constexpr std::uint8_t kOptTimingMark = 6;
inline constexpr std::uint8_t kOptTerminalType = 24;
inline constexpr std::uint8_t kOptLineMode = 34;
}  // namespace telnet

// A complete command taken out of the stream.
struct TelnetCommand {
    enum class Kind {
        Negotiation,     // IAC verb option (verb is WILL, WONT, DO or DONT)
        SubNegotiation,  // IAC SB ... IAC SE
        Other,           // IAC and one command byte
    };
    Kind kind = Kind::Other;
    std::uint8_t verb = 0;    // the byte after IAC
    std::uint8_t option = 0;  // Negotiation only
    // SubNegotiation: the bytes after IAC, beginning with SB and ending with IAC SE, as
    // they came (an IAC IAC inside stays doubled); at most kStoredLimit bytes, the middle
    // of a longer one is dropped.
    std::string stored;
};

class TelnetFilter {
public:
    static constexpr std::size_t kStoredLimit = 80;

    // What a received byte turned out to be.
    enum class Byte {
        Data,       // ordinary data
        Consumed,   // part of a command
        EscapedFF,  // the second byte of IAC IAC: pass on one data byte 0xFF
    };

    // Takes one received byte. When it completes a command, commandDone() is true until
    // the next byte and command() describes it.
    Byte feed(std::uint8_t byte);
    bool commandDone() const { return done_; }
    const TelnetCommand& command() const { return command_; }

    // Forgets a command in progress (a new connection).
    void reset();
    // True while inside a command (after an IAC, before its end).
    bool inCommand() const { return state_ != State::Data; }

private:
    enum class State {
        Data,        // outside commands
        AfterIac,    // IAC seen
        NeedOption,  // IAC verb seen, the option byte follows
        Sub,         // inside IAC SB ...
        SubIac,      // IAC seen inside a sub-negotiation
    };
    void store(std::uint8_t byte);
    Byte complete(TelnetCommand::Kind kind);

    State state_ = State::Data;
    TelnetCommand command_;
    bool done_ = false;
};

}  // namespace morvaline
