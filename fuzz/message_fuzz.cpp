// Feeds arbitrary bytes to the parsers that read mail from the host: the MIME decoder
// (after the header repair), the uu/xx block decoder and the code converters. Besides
// memory errors it checks the bounds the callers rely on.

#include "message/attachment.h"
#include "message/attachment_name.h"
#include "message/base64.h"
#include "message/header_words.h"
#include "message/iso2022jp.h"
#include "message/mime_mail.h"
#include "message/mime_repair.h"
#include "message/quoted_printable.h"
#include "message/uu_block.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace morvaline;

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    AttachmentList list;
    DecodeMimeMail(RepairMimeHeaders(input), &list);
    for (const Attachment& attachment : list) {
        const std::string name = SafeAttachmentName(attachment.name);
        check(name.find('/') == std::string::npos && name != "." && name != "..");
        DecodeAttachment(attachment);
        EstimatedAttachmentKB(attachment);
    }

    DecodeUuBlock(input);
    SplitUuBlocks(input, &list);

    check(JisToSjis(input).size() <= input.size());
    check(SjisToJis(input).size() <= (input.size() * 9 + 7) / 2);
    check(Base64Decode(input).size() <= input.size());
    check(DecodeQuotedPrintable(input).size() <= input.size());
    check(DecodeHeaderWords(input).size() <= input.size());
    check(LocalAttachmentFileName(input).size() <= 200);

    const int room = size > 0 ? data[0] - 16 : 0;
    const EncodedHeaderLine line = EncodeHeaderWords(input, room);
    check(line.resume <= input.size() && (input.empty() || line.resume > 0));
    return 0;
}
