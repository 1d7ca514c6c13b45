// Feeds arbitrary lines to the readers of the host's mail lists and mail headers: they read
// at fixed byte positions and must refuse what does not fit, never read outside a line.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "patrol/services/mail/mail_header.h"
#include "patrol/services/mail/mail_list_lines.h"
#include "patrol/services/mail/mail_text.h"
#include "store/fetched_message.h"
#include "store/host_date.h"
#include "store/host_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvaline;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first line opens a mail's header block, which takes every line after it.
    const std::string_view first = text.substr(0, text.find('\n'));
    MailHeaderBlock header{std::string(first)};
    parseHostDate(headerDateText(first));
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        header.addLine(std::string(line));
        header.title();
        header.sender();
        titleMatchesListed(line, first);
        trimBlanks(line);
        looksLikeReceivedEntry(line);
        looksLikeSentEntry(line);
        parseReceivedListLine(line);
        parseSentListLine(line);
        subjectLineKind(line);
        subjectOf(line);
        addressContinuation(line);
        parseFromLine(line);
        parseSenderLine(line);
        parseHostDate(line);
        parseHostDate(line, hostdate::kNoYear);
        messageTagLength(line);
        pageLine(line);
        mailListDate(line);
        cutCommentMarker(line);
    }
    return 0;
}
