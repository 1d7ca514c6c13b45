// Feeds arbitrary lines to the readers of the host's forum screens: tag and header lines,
// title lines, menu entries, titles lists, a room's status line and a SIG's banner. They
// read at fixed byte positions and must refuse what does not fit, never read outside a line.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "patrol/services/forum/forum_lines.h"
#include "patrol/services/sig/sig_navigator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvaline;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    sigBannerCode(all);
    std::string_view text = all;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        parseTagLine(line);
        parseMessageHeader(line);
        splitTitleLine(line);
        parseMenuRooms(line);
        parseTitleEntry(line);
        statusHighest(line);
    }
    return 0;
}
