#include "message/mail_display.h"

#include "message/mime_mail.h"
#include "message/mime_repair.h"
#include "message/uu_block.h"
#include "platform/text_codec.h"
#include "store/item_kinds.h"

namespace morvaline {

std::string MailDisplayText(std::string_view storedText, std::uint32_t itemFlags,
                            AttachmentList* list) {
    if (itemFlags & ITEM_FLAG_INTERNET) {
        static const std::string kTitleLine = sj("\r\n文書名：");
        const std::size_t title = storedText.find(kTitleLine);
        if (title == std::string_view::npos) return {};
        const std::size_t emptyLine = storedText.find("\r\n\r\n", title + kTitleLine.size());
        if (emptyLine == std::string_view::npos) return {};
        return InternetMailDisplayText(storedText.substr(emptyLine + 4), list);
    }
    if (itemFlags & ITEM_FLAG_UUENCODED) return SplitUuBlocks(storedText, list);
    return std::string(storedText);
}

std::string InternetMailDisplayText(std::string_view message, AttachmentList* list) {
    return DecodeMimeMail(RepairMimeHeaders(message), list);
}

}  // namespace morvaline
