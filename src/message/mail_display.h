#pragma once
// What the message view shows for a stored mail.

#include "message/attachment.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

// The stored text of a mail after the host's header block: after the empty line that
// follows the "文書名：" header line. Nothing when the block is not there.
std::optional<std::string_view> AfterHostHeader(std::string_view storedText);

// The readable text of a stored mail, given the stored text (the host's header block, an
// empty line and the mail) and the item's flags (ITEM_FLAG_INTERNET, ITEM_FLAG_UUENCODED);
// its attachments are appended to list when given. An internet mail is the text after the first
// empty line that follows the "文書名：" header line, repaired and decoded from MIME, when that
// text begins with a header block; otherwise it shows as any other mail. A mail with uuencoded
// files shows its text without them; any other mail shows as stored.
std::string MailDisplayText(std::string_view storedText, std::uint32_t itemFlags,
                            AttachmentList* list);

// The readable text of an internet message (RFC 822 header and body as the host's gateway
// delivered it): its headers repaired, then decoded from MIME.
std::string InternetMailDisplayText(std::string_view message, AttachmentList* list);

}  // namespace morvaline
