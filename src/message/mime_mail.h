#pragma once
// Decoding a received internet mail into the text the user reads and its attachments.

#include "message/attachment.h"

#include <string>
#include <string_view>

namespace morvaline {

// The body text (Shift_JIS) of a MIME message. When the first leaf part is text it is the
// body, decoded from its transfer encoding and ISO-2022-JP, with uuencoded files moved to
// the attachments; every other leaf becomes an attachment, appended to list when given.
// A message whose first leaf is not text reads "(本文なし)". Malformed MIME never fails:
// whatever part tree could be read is used.
std::string DecodeMimeMail(std::string_view message, AttachmentList* list);

}  // namespace morvaline
