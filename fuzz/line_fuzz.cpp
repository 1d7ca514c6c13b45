// Arbitrary bytes from the host through the receive side of a line: the Telnet filter
// with the negotiation answers and trace lines, the receive filter with the terminal's
// screen lines, the transfer-mode path, and the prompt matcher; and arbitrary bytes as
// a transcript file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comm/receive_filter.h"
#include "comm/screen_lines.h"
#include "comm/telnet_negotiation.h"
#include "link/transcript.h"
#include "patrol/engine/prompt_matcher.h"

using namespace morvaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first byte chooses where the input is split into two reads.
    const std::size_t cut = size == 0 ? 0 : static_cast<std::uint8_t>(input[0]) % size;

    ScreenLines screen(3);
    ReceiveFilter filter(screen);
    filter.setTelnet(true);
    TelnetNegotiator negotiator;
    negotiator.setTrace(true);
    FilterOutput out;
    const ReceiveFilter::CommandHandler onCommand = [&](const TelnetCommand& command) {
        for (const TelnetAction& action : negotiator.received(command))
            if (action.kind == TelnetAction::Kind::Show) filter.feedTrace(action.bytes, out);
    };
    filter.feed(input.substr(0, cut), out, onCommand);
    filter.feed(input.substr(cut), out, onCommand);
    const std::string shown = out.display();
    if (shown.size() < out.text.size()) __builtin_trap();

    // Only text, HT, LF, CR and BS reach the engine.
    for (const char c : out.text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\b')
            __builtin_trap();
    }

    const Prompt prompts[] = {
        {"\r\n", false}, {"=", true}, {"xxy", false}, {"\x94\xD4\x8D\x86", false}, {"", false}};
    PromptMatcher matcher(prompts);
    std::string_view text = out.text;
    while (!text.empty()) {
        const PromptMatcher::Scan scan = matcher.scan(text);
        if (scan.used == 0 || scan.used > text.size()) __builtin_trap();
        text.remove_prefix(scan.used);
    }
    (void)matcher.quietPromptAtEnd();

    std::string raw;
    filter.feedTelnetOnly(input, raw, onCommand);
    if (raw.size() > input.size()) __builtin_trap();
    screen.resize(2);

    std::string error;
    (void)parseTranscript(input, &error);
    return 0;
}
