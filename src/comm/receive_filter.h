#pragma once
// The receive filter: what every received byte goes through before the engine, the
// terminal and the capture log see it. On a Telnet line the Telnet commands are taken out
// first. A Shift_JIS lead byte is held until the byte after it arrives, so that a
// character split across two reads stays whole. Of the control bytes only HT, LF, CR and
// BS (not in column 0) pass; BEL is dropped and noted; every other control byte, NUL
// included, is dropped. The terminal's screen lines are written on the way.
//
// Pure apart from the screen lines it writes: no I/O, no clock.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/screen_lines.h"
#include "comm/telnet_filter.h"

namespace morvaline {

// What one pass produced.
struct FilterOutput {
    // A Telnet trace line and the position in text where it occurred.
    struct Trace {
        std::size_t position;
        std::string line;
    };

    std::string text;           // for the engine: text, HT, LF, CR and BS only
    std::vector<Trace> traces;  // for the terminal and the log only, never the engine
    bool beep = false;          // a BEL was received

    // What the terminal and the capture log show: the text with the trace lines in place.
    std::string display() const;
    void clear() {
        text.clear();
        traces.clear();
        beep = false;
    }
};

class ReceiveFilter {
public:
    // Called with each Telnet command as it completes, in the middle of a pass; it may
    // feed trace lines back with feedTrace().
    using CommandHandler = std::function<void(const TelnetCommand&)>;

    explicit ReceiveFilter(ScreenLines& screen) : screen_(screen) {}

    // Telnet commands are taken out only on a Telnet line.
    void setTelnet(bool on) { telnetOn_ = on; }
    bool telnet() const { return telnetOn_; }
    // A new connection: no command or character in progress.
    void reset();

    // Filters received bytes, appending to out.
    void feed(std::string_view raw, FilterOutput& out, const CommandHandler& onCommand);
    // During a file transfer: only the Telnet commands are taken out; the data bytes
    // (escaped 0xFF as one 0xFF) are appended to data unchanged.
    void feedTelnetOnly(std::string_view raw, std::string& data, const CommandHandler& onCommand);
    // A trace line for the terminal and the log: passes the screen rules into
    // out.traces, never into the engine's text; a lead byte held from the received text is
    // put aside meanwhile.
    void feedTrace(std::string_view line, FilterOutput& out);

private:
    void passRun(std::string_view run, std::string& sink, bool& beep);

    ScreenLines& screen_;
    TelnetFilter telnetFilter_;
    bool telnetOn_ = false;
    int heldLead_ = -1;  // a lead byte waiting for the byte after it, or -1
};

}  // namespace morvaline
