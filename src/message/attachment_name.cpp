#include "message/attachment_name.h"

#include "message/header_words.h"
#include "platform/ascii_case.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_trim.h"

namespace morvaline {
namespace {

constexpr std::size_t kMaxNameBytes = 516;
// Raw names longer than this are cut before decoding; ample for the encoded words of the
// longest name kept.
constexpr std::size_t kMaxRawNameBytes = 4096;
// Linux allows 255 bytes; the temporary file adds ".tmpXXXXXX" and a second copy " (999)".
constexpr std::size_t kMaxLocalNameBytes = 200;
constexpr std::size_t kMaxExtensionBytes = 16;

bool isKeptAscii(char c) {
    static constexpr std::string_view kKept = " .$%'-_@~`!(){}^#&+,;=[]";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kKept.find(c) != std::string_view::npos;
}

std::string_view trimSpaces(std::string_view text) {
    return trim(text, " ");
}

// Length of the longest prefix of a UTF-8 text within maxBytes that ends on a character
// boundary.
std::size_t utf8CutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

}  // namespace

std::string SafeAttachmentName(std::string_view sjisName) {
    std::size_t base = 0;
    for (std::size_t i = 0; i < sjisName.size(); i += sjisCharWidth(sjisName, i)) {
        const char c = sjisName[i];
        if (sjisCharWidth(sjisName, i) == 1 && (c == '/' || c == '\\' || c == ':')) base = i + 1;
    }
    const std::string_view last = sjisName.substr(base);

    std::string filtered;
    filtered.reserve(last.size());
    for (std::size_t i = 0; i < last.size();) {
        const std::size_t width = sjisCharWidth(last, i);
        const auto c = static_cast<unsigned char>(last[i]);
        if (width == 2) {
            filtered.append(last.substr(i, 2));
        } else if (isSjisLeadByte(c)) {
            // A lead byte without its trail byte is no character: dropped.
        } else if (c >= 0x80 || isKeptAscii(static_cast<char>(c))) {
            filtered += static_cast<char>(c);
        } else {
            filtered += ' ';
        }
        i += width;
    }

    std::string_view name = trimSpaces(filtered);
    name = trimSpaces(name.substr(0, sjisCutLength(name, kMaxNameBytes)));
    if (name == "." || name == "..") return {};
    return std::string(name);
}

std::string MakeAttachmentFileName(std::string_view rawName) {
    std::string compact;
    for (const char c : rawName.substr(0, sjisCutLength(rawName, kMaxRawNameBytes)))
        if (c != '\t' && c != '\n' && c != '\r' && c != ' ') compact += c;
    return SafeAttachmentName(DecodeHeaderWords(compact));
}

std::string DefaultAttachmentName(std::string_view type, std::string_view subtype) {
    static const std::string kHtml = sj("添付されたﾃｷｽﾄ.htm");
    static const std::string kText = sj("添付されたﾃｷｽﾄ.txt");
    static const std::string kFile = sj("添付されたﾌｧｲﾙ.txt");
    if (!equalsNoCase(type, "text")) return kFile;
    return equalsNoCase(subtype, "html") ? kHtml : kText;
}

std::string LocalAttachmentFileName(std::string_view sjisName) {
    std::string safe = SafeAttachmentName(sjisName);
    if (safe.empty()) safe = DefaultAttachmentName({}, {});
    std::string utf8 = sjisToUtf8(safe);
    if (utf8.size() <= kMaxLocalNameBytes) return utf8;

    std::string_view extension;
    const std::size_t dot = utf8.rfind('.');
    if (dot != std::string::npos && dot > 0 && utf8.size() - dot <= kMaxExtensionBytes)
        extension = std::string_view(utf8).substr(dot);
    const std::string_view stem = std::string_view(utf8).substr(0, utf8.size() - extension.size());
    std::string cut(stem.substr(0, utf8CutLength(stem, kMaxLocalNameBytes - extension.size())));
    cut += extension;
    return cut;
}

}  // namespace morvaline
