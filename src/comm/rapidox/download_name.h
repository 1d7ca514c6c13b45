#pragma once
// Names that come from the line become local file names only through these functions:
// a transfer header may name any path, and the file must stay in the download folder.

#include <string>
#include <string_view>

namespace morvaline::rapidox {

// The part of a Shift_JIS name after its last "/" or "\" (a "\" that is the second byte
// of a double-byte character is not a separator).
std::string_view lastNameComponent(std::string_view sjisName);

// A file comes down under its name with this suffix and takes the name only when whole.
inline constexpr std::string_view kPartSuffix = ".part";

// The local (UTF-8) file name for the name in a file header: its last component,
// converted from Shift_JIS and cut at a character boundary so that it fits NAME_MAX with
// kPartSuffix. Empty when the
// name cannot be used as it is (empty, ".", "..", or holding control bytes); the caller
// then picks a numbered default.
std::string downloadFileName(std::string_view sjisName);

}  // namespace morvaline::rapidox
