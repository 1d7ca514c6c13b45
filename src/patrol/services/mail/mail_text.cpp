#include "patrol/services/mail/mail_text.h"

#include "message/header_words.h"
#include "patrol/services/mail/mail_list_lines.h"
#include "platform/ascii_case.h"
#include "platform/sjis.h"
#include "platform/text_trim.h"
#include "store/host_lines.h"
#include "store/item.h"

namespace morvaline {
namespace {

constexpr std::size_t kNameLimit = kNameSize - 1;

std::string_view trimmed(std::string_view s) {
    return trim(s, " \t");
}

std::string_view unquoted(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

std::string displayName(std::string_view name) {
    return sjisBoundedCopy(DecodeHeaderWords(unquoted(trimmed(name))), kNameLimit);
}

}  // namespace

std::optional<MailFrom> parseFromLine(std::string_view line) {
    if (!startsWithNoCase(line, "from:")) return std::nullopt;
    const std::string_view value = trimmed(trimHostText(line.substr(5)));
    if (value.empty()) return std::nullopt;
    MailFrom from;
    const std::size_t open = value.find('<');
    const std::size_t close = open == std::string_view::npos ? open : value.find('>', open);
    if (close != std::string_view::npos) {
        from.address = std::string(trimmed(value.substr(open + 1, close - open - 1)));
        from.name = displayName(value.substr(0, open));
        if (from.name.empty()) from.name = sjisBoundedCopy(from.address, kNameLimit);
        return from;
    }
    const std::size_t round = value.find('(');
    const std::size_t roundEnd = round == std::string_view::npos ? round : value.rfind(')');
    if (roundEnd != std::string_view::npos && roundEnd > round) {
        from.address = std::string(trimmed(value.substr(0, round)));
        from.name = displayName(value.substr(round + 1, roundEnd - round - 1));
        return from;
    }
    from.address = std::string(value);
    from.name = displayName(value);
    return from;
}

void MailTextScan::addLine(std::string_view line) {
    // The empty lines count through the host's header block: the one after the stamp line,
    // then the one before the text.
    if (line.empty()) ++emptyLines_;
    uu_.addLine(line);
    if (internet_ && emptyLines_ >= 2 && startsWithNoCase(line, "content-type: multipart"))
        multipart_ = true;
}

std::uint32_t MailTextScan::flags() const {
    return (uu_.closed() ? ITEM_FLAG_UUENCODED : 0) | (multipart_ ? ITEM_FLAG_MIME : 0);
}

}  // namespace morvaline
