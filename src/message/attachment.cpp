#include "message/attachment.h"

#include "message/base64.h"
#include "message/quoted_printable.h"
#include "message/uu_block.h"

#include <algorithm>
#include <cstdint>

namespace morvaline {

std::optional<std::string> DecodeAttachment(const Attachment& attachment) {
    switch (attachment.kind) {
        case AttachmentKind::Uuencoded:
            return DecodeUuBlock(attachment.data);
        case AttachmentKind::Base64: {
            std::string bytes = Base64Decode(attachment.data);
            if (bytes.empty()) return std::nullopt;
            return bytes;
        }
        case AttachmentKind::QuotedPrintable:
            return DecodeQuotedPrintable(attachment.data);
        case AttachmentKind::Text:
            return attachment.data;
    }
    return std::nullopt;
}

int EstimatedAttachmentKB(const Attachment& attachment) {
    const auto crs =
        static_cast<std::int64_t>(std::count(attachment.data.begin(), attachment.data.end(), '\r'));
    // A uuencoded line also loses its length character; other forms only CR LF.
    const std::int64_t perLine = attachment.kind == AttachmentKind::Uuencoded ? 3 : 2;
    const std::int64_t encoded = std::max<std::int64_t>(
        0, static_cast<std::int64_t>(attachment.data.size()) - crs * perLine);
    return static_cast<int>(encoded * 3 / 4 / 1024);
}

}  // namespace morvaline
