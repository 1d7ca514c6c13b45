#include "message/mail_display.h"

#include "message/mime_mail.h"
#include "message/mime_repair.h"
#include "message/uu_block.h"
#include "platform/text_codec.h"
#include "store/item_kinds.h"

namespace morvaline {
namespace {

// True when the text begins with a header field ("Name: value"): a name of printable ASCII
// characters other than the colon, then the colon.
bool beginsWithHeaderField(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] > ' ' && text[i] < 0x7F && text[i] != ':') ++i;
    return i > 0 && i < text.size() && text[i] == ':';
}

}  // namespace

std::optional<std::string_view> AfterHostHeader(std::string_view storedText) {
    static const std::string kTitleLine = sj("\r\n文書名：");
    const std::size_t title = storedText.find(kTitleLine);
    if (title == std::string_view::npos) return std::nullopt;
    const std::size_t emptyLine = storedText.find("\r\n\r\n", title + kTitleLine.size());
    if (emptyLine == std::string_view::npos) return std::nullopt;
    return storedText.substr(emptyLine + 4);
}

std::string MailDisplayText(std::string_view storedText, std::uint32_t itemFlags,
                            AttachmentList* list) {
    if (itemFlags & ITEM_FLAG_INTERNET) {
        const std::optional<std::string_view> message = AfterHostHeader(storedText);
        // A gateway may pass on a text without a header block: it shows as it stands.
        if (message && beginsWithHeaderField(*message))
            return InternetMailDisplayText(*message, list);
    }
    if (itemFlags & ITEM_FLAG_UUENCODED) return SplitUuBlocks(storedText, list);
    return std::string(storedText);
}

std::string InternetMailDisplayText(std::string_view message, AttachmentList* list) {
    return DecodeMimeMail(RepairMimeHeaders(message), list);
}

}  // namespace morvaline
