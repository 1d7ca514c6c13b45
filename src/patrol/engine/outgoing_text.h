#pragma once
// The text of an item written offline as it goes to the host, line by line.
//
// The host's text entry ends at a line that begins with "..", and it reads CR, LF and
// CR NUL as line ends and BS and DEL as erasing: so a text line that begins with ".." is
// sent with one half-width blank in front, and control bytes other than TAB are left out.
// A title or an address goes on one line of its own and carries no control byte at all.
// (Shift_JIS trail bytes are never below 0x40, so removing these bytes never splits a
// character.) What is sent is what is recorded as the sent item's text.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class CItem;

// One line of a text, made safe for the host's text entry.
std::string hostTextLine(std::string_view line);
// A title or an address, made safe for a line of its own.
std::string hostField(std::string_view text);

struct OutgoingText {
    std::vector<std::string> lines;  // made safe for the host
    bool attachment = false;         // the lines end with a uuencoded file
};

// The text of an outgoing item: its own numbered file in the data folder, followed, for a
// mail, a forward or a message whose path names files (separated by LF), by each file
// uuencoded. Empty with
// *failedFile set (a UTF-8 name) when a file cannot be read.
std::optional<OutgoingText> loadOutgoingText(const std::filesystem::path& dataDirectory,
                                             const CItem& item, std::string* failedFile);

}  // namespace morvaline
