#pragma once
// File names of attachments. Every name that comes from a mail (MIME name and filename
// parameters, uuencode begin lines) passes SafeAttachmentName before it is shown or
// becomes a local path, so it can never leave the folder it is saved into.

#include <string>
#include <string_view>

namespace morvaline {

// Reduces a Shift_JIS name to a safe base name: keeps the text after the last "/", "\"
// or ":" (a trail byte of a double-byte character is no separator), turns every
// character other than double-byte characters, letters, digits, bytes above 0x80 and
// " .$%'-_@~`!(){}^#&+,;=[]" into a space, trims spaces and cuts it to 516 bytes. Empty
// when nothing usable remains ("", "." and ".." included). Environment references such
// as %NAME% are kept as text, never expanded.
std::string SafeAttachmentName(std::string_view sjisName);

// The name offered for a MIME name parameter: white space removed (it comes from folded
// header lines), encoded words decoded, then made safe. Empty when nothing usable remains.
std::string MakeAttachmentFileName(std::string_view rawName);

// The name given to an attachment without a usable name of its own, by media type.
std::string DefaultAttachmentName(std::string_view type, std::string_view subtype);

// The UTF-8 file name under which an attachment is written: its safe name (or the default
// name), cut so that it fits a Linux file name with room for a temporary suffix, the
// extension kept.
std::string LocalAttachmentFileName(std::string_view sjisName);

}  // namespace morvaline
