#include "store/fetched_message.h"

#include <algorithm>

#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_trim.h"
#include "store/host_lines.h"
#include "store/item_array.h"

namespace morvaline {
namespace {

std::string_view trimmed(std::string_view s) {
    return trim(s, " \r\n");
}

}  // namespace

void removePromptLines(std::vector<std::string>& lines) {
    static const std::string kPrompt = sj("番号またはコマンド");
    std::erase_if(lines, [](const std::string& line) {
        return line.starts_with(kPrompt) || pageLine(line) != PageLine::None;
    });
}

int storeFetchedMessage(CItemArray& list, FetchedMessage m, int generation) {
    CItem item(m.parent, m.number, 0, m.id, m.title, m.kind, 0, m.date, m.name, {}, m.refCount, m.size);
    item.m_dwFlags = m.flags;
    item.m_nTarget = m.target;
    item.m_strText = m.text;
    item.m_nGeneration = generation;
    // Mails carry neither a number nor an ID once stored: one is the same mail when its
    // date, subject and sender are.
    const int existing = m.kind == kind::kReceivedMailMessage
                             ? list.findEqual(item, copy::kKind | copy::kDate | copy::kTitle | copy::kText)
                             : list.findChild(m.parent, m.id, m.kind, m.number);
    if (existing >= 0) {
        list.update(existing, item, copy::kTitle | copy::kRefCount | copy::kDate | copy::kFlags);
        return existing;
    }
    if (m.kind == kind::kReceivedMailMessage || m.kind == kind::kForumMessage)
        removePromptLines(m.lines);
    std::string text;
    for (const std::string& line : m.lines) text += line + "\r\n";
    const auto offset = list.appendText(text);
    if (!offset) return -1;
    item.m_nOffset = static_cast<std::int32_t>(*offset);
    item.m_nLength = static_cast<std::int32_t>(text.size());
    item.m_nBody = static_cast<std::int32_t>(m.lines.size());
    using namespace copy;
    return list.addCopy(m.parent, item,
                        kNumber | kOffset | kLength | kBody | kKind | kFlags | kDate | kId |
                            kTitle | kName | kText | kTarget | kRefCount | kSize | kGeneration);
}

MailSender parseSenderLine(std::string_view line) {
    static const std::string kLabel = sj("発信者：");
    MailSender sender;
    if (!line.starts_with(kLabel)) return sender;
    const std::string_view rest = textFrom(line, kLabel.size());
    // Internet mail through a gateway: the address after the prefix up to the next blank,
    // the name after it.
    for (const std::string_view prefix : {std::string_view("TRUNKGW#"), std::string_view("INET#")}) {
        if (!rest.starts_with(prefix)) continue;
        const std::string_view text = textFrom(rest, prefix.size());
        const std::size_t blank = text.find(' ');
        sender.address = std::string(trimmed(text.substr(0, blank)));
        if (blank != std::string_view::npos) sender.name = sjisBoundedCopy(trimmed(text.substr(blank)), 39);
        sender.internet = true;
        return sender;
    }
    for (const std::string_view prefix : {std::string_view("ORVEN#"), std::string_view("STAR#")}) {
        if (!rest.starts_with(prefix)) continue;
        // Another network: the address keeps its prefix, the name is what follows it.
        sender.address = std::string(trimmed(rest));
        sender.name = sjisBoundedCopy(trimmed(textFrom(rest, prefix.size())), 39);
        return sender;
    }
    // A host user ID of 8 bytes, the handle name from byte 22 of the line.
    constexpr std::size_t kNameAt = 22;
    sender.address = std::string(trimmed(rest.substr(0, 8)));
    sender.name = sjisBoundedCopy(trimmed(textFrom(line, kNameAt)), 39);
    return sender;
}

}  // namespace morvaline
