#pragma once
// Undoing the line breaks that the host's line wrapping puts into the header values of
// internet mail, before the mail is parsed.

#include <string>
#include <string_view>

namespace morvaline {

// The message with these repairs, in order:
// - an empty line (optionally followed by one blank) that the wrapping put between a
//   Content-Type line and its first quoted boundary= or charset= parameter is folded back
//   into the header;
// - a quoted boundary value broken across two lines is joined again;
// - a quoted name (name= or filename=) of a Content-Type header block broken across lines
//   is folded (each break becomes a continuation line). The quoted name ends at its
//   closing quote or at the end of the header block, so one missing quote cannot swallow
//   the body.
std::string RepairMimeHeaders(std::string_view message);

}  // namespace morvaline
