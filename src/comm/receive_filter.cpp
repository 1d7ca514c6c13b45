#include "comm/receive_filter.h"

#include <cstring>

namespace morvaline {

namespace {

constexpr std::uint8_t kBel = 0x07;

}  // namespace

std::string FilterOutput::display() const {
    if (traces.empty()) return text;
    std::string shown;
    std::size_t done = 0;
    for (const Trace& trace : traces) {
        shown.append(text, done, trace.position - done);
        shown += trace.line;
        done = trace.position;
    }
    shown.append(text, done);
    return shown;
}

void ReceiveFilter::reset() {
    telnetFilter_.reset();
    heldLead_ = -1;
}

// The byte rules over a run of data bytes (Telnet commands already out), appending what
// passes to sink. Up to a dropped control byte every byte passes unchanged, so the screen
// takes the whole stretch and the sink gets it in one copy.
void ReceiveFilter::passRun(std::string_view run, std::string& sink, bool& beep) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(run.data());
    std::size_t i = 0;
    if (heldLead_ >= 0 && !run.empty()) {
        const auto lead = static_cast<std::uint8_t>(heldLead_);
        heldLead_ = -1;
        if (bytes[0] > 0x1F) {
            screen_.putPair(lead, bytes[0]);
            sink += static_cast<char>(lead);
            sink += run[0];
            i = 1;
        } else {
            // A control byte cannot end a character: the lead byte goes on alone and the
            // control byte gets its own treatment, so that it never slips to the engine.
            screen_.putByte(lead);
            sink += static_cast<char>(lead);
        }
    }
    while (i < run.size()) {
        const std::size_t written = screen_.putText(run.substr(i));
        sink.append(run.data() + i, written);
        i += written;
        if (i == run.size()) break;
        if (bytes[i] > 0x1F) {  // a lead byte that ends the run: its partner comes next
            heldLead_ = bytes[i];
            break;
        }
        // A control byte the screen did not take (any but HT, LF, CR, and BS outside
        // column 0) is dropped; BEL is noted.
        if (bytes[i] == kBel) beep = true;
        ++i;
    }
}

void ReceiveFilter::feed(std::string_view raw, FilterOutput& out, const CommandHandler& onCommand) {
    out.text.reserve(out.text.size() + raw.size() + 1);
    while (!raw.empty()) {
        if (!telnetOn_) {
            passRun(raw, out.text, out.beep);
            return;
        }
        if (!telnetFilter_.inCommand()) {
            // Plain data up to the next IAC goes through in one run.
            const void* iac = std::memchr(raw.data(), telnet::kIac, raw.size());
            const std::size_t dataEnd =
                iac ? static_cast<std::size_t>(static_cast<const char*>(iac) - raw.data())
                    : raw.size();
            passRun(raw.substr(0, dataEnd), out.text, out.beep);
            raw.remove_prefix(dataEnd);
            if (raw.empty()) return;
        }
        const char ch = raw[0];
        raw.remove_prefix(1);
        switch (telnetFilter_.feed(static_cast<std::uint8_t>(ch))) {
            case TelnetFilter::Byte::Data:
            case TelnetFilter::Byte::EscapedFF:
                passRun({&ch, 1}, out.text, out.beep);  // the byte itself: 0xFF when escaped
                break;
            case TelnetFilter::Byte::Consumed:
                if (telnetFilter_.commandDone() && onCommand) onCommand(telnetFilter_.command());
                break;
        }
    }
}

void ReceiveFilter::feedTelnetOnly(std::string_view raw, std::string& data,
                                   const CommandHandler& onCommand) {
    if (!telnetOn_) {
        data += raw;
        return;
    }
    while (!raw.empty()) {
        if (!telnetFilter_.inCommand()) {
            // Data up to the next IAC in one copy.
            const void* iac = std::memchr(raw.data(), telnet::kIac, raw.size());
            const std::size_t dataEnd =
                iac ? static_cast<std::size_t>(static_cast<const char*>(iac) - raw.data())
                    : raw.size();
            data.append(raw.data(), dataEnd);
            raw.remove_prefix(dataEnd);
            if (raw.empty()) return;
        }
        const char ch = raw.front();
        raw.remove_prefix(1);
        if (telnetFilter_.feed(static_cast<std::uint8_t>(ch)) == TelnetFilter::Byte::Consumed) {
            if (telnetFilter_.commandDone() && onCommand) onCommand(telnetFilter_.command());
            continue;
        }
        data += ch;
    }
}

void ReceiveFilter::feedTrace(std::string_view line, FilterOutput& out) {
    const int held = heldLead_;
    heldLead_ = -1;
    FilterOutput::Trace trace{out.text.size(), {}};
    passRun(line, trace.line, out.beep);
    heldLead_ = held;
    out.traces.push_back(std::move(trace));
}

}  // namespace morvaline
