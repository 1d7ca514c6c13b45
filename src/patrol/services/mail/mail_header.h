#pragma once
// The header block that the mail reader shows before a mail's text ("RB%d"), read line by
// line: its first line (a key "#dddddddd" with the date at byte 18, or the date and time in
// its first 18 bytes), an empty line that the host may put after it, labelled lines in any
// number and order ("発信者：", "受信者：", "ファイル：" ...), and last the line whose first
// 8 bytes are "文書名：". Pure functions over Shift_JIS bytes.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "store/fetched_message.h"

namespace morvaline {

// The date and time text of a header's first line.
std::string_view headerDateText(std::string_view firstLine);

// True when a header's title names the mail that the list showed with the listed title:
// both trimmed of blanks and full-width blanks at either end, the header's is the listed
// one or, the list having cut a long subject short, begins with it.
bool titleMatchesListed(std::string_view headerTitle, std::string_view listedTitle);

class MailHeaderBlock {
public:
    explicit MailHeaderBlock(std::string firstLine);
    // Takes the next line of the block; true once the "文書名：" line was taken.
    bool addLine(std::string line);
    bool complete() const { return complete_; }
    // The block as a mail's text holds it: the first line, one empty line, the others.
    const std::vector<std::string>& lines() const { return lines_; }
    // The text after "文書名：" (empty until the block is complete).
    std::string_view title() const;
    // From the first "発信者：" line; no address when there is none.
    MailSender sender() const;
    // The date and time of the first line; 0 when it holds none.
    FileTime date() const;

private:
    std::vector<std::string> lines_;
    bool complete_ = false;
};

}  // namespace morvaline
