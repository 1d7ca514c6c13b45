#pragma once
// A file carried by a received mail, as the attachment list shows and saves it.

#include <optional>
#include <string>
#include <vector>

namespace morvaline {

// How the data of an attachment becomes the file's bytes.
enum class AttachmentKind {
    Uuencoded = 1,        // a uuencoded or xxencoded block: the lines after "begin" through "end"
    Base64 = 2,           // base64 text
    QuotedPrintable = 3,  // quoted-printable text
    Text = 4,             // the bytes themselves
};

struct Attachment {
    std::string data;  // the content in the form its kind names
    std::string name;  // the file name offered to the user (Shift_JIS), already made safe
    AttachmentKind kind = AttachmentKind::Text;
};

using AttachmentList = std::vector<Attachment>;

// The file's bytes, decoded completely; nullopt when the data cannot be decoded (a
// damaged block, base64 that yields nothing).
std::optional<std::string> DecodeAttachment(const Attachment& attachment);

// The decoded size in KB that the attachment list shows, estimated from the data without
// decoding it (line ends and the encoding's growth taken off).
int EstimatedAttachmentKB(const Attachment& attachment);

}  // namespace morvaline
