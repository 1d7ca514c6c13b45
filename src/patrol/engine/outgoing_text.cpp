#include "patrol/engine/outgoing_text.h"

#include "message/uu_encode.h"
#include "platform/atomic_file.h"
#include "platform/text_lines.h"
#include "store/item.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

std::string hostTextLine(std::string_view line) {
    std::string out;
    out.reserve(line.size() + 1);
    for (const char c : line)
        if (c == '\t' || !isControl(static_cast<unsigned char>(c))) out += c;
    if (out.starts_with("..")) out.insert(0, 1, ' ');
    return out;
}

std::string hostField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (!isControl(static_cast<unsigned char>(c))) out += c;
    return out;
}

std::optional<OutgoingText> loadOutgoingText(const std::filesystem::path& dataDirectory,
                                             const CItem& item, std::string* failedFile) {
    OutgoingText out;
    const std::string name = ownTextFileName(item);
    if (!name.empty()) {
        std::string text;
        if (!readWholeFile(dataDirectory / name, text)) {
            *failedFile = name;
            return std::nullopt;
        }
        for (const std::string& line : splitTextLines(text))
            out.lines.push_back(hostTextLine(line));
    }
    const bool attaches = item.m_nKind == kind::kNewMail || item.m_nKind == kind::kForwardMail ||
                          item.m_nKind == kind::kComment;
    if (attaches) {
        for (const std::string& path : attachedFiles(item)) {
            const std::optional<std::string> block = EncodeUuFile(std::filesystem::path(path));
            if (!block) {
                *failedFile = path;
                return std::nullopt;
            }
            for (const std::string& line : splitTextLines(*block))
                out.lines.push_back(hostTextLine(line));
            out.attachment = true;
        }
    }
    return out;
}

}  // namespace morvaline
