#pragma once
// Composing a mail written offline as one internet message (RFC 822 with MIME): ASCII
// header lines with Japanese as encoded words, an ISO-2022-JP body, and attached files as
// base64 parts of a multipart/mixed message. A forward passes the source mail on with new
// addressing headers instead.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message/recipients.h"
#include "store/editor_settings.h"

namespace morvaline {

// A boundary of size - 1 characters: "__" and characters drawn from
// "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-" by `draw` (which
// returns any number; its low six bits pick the character).
std::string MakeBoundary(std::size_t size, const std::function<unsigned()>& draw);

// The text of a mail without its addressing headers (To, Cc, Bcc, From, Subject,
// Message-Id, Reply-To, Sender, Date, Received, Return-Path, their Resent- forms and
// In-Reply-To), each line ended by CR LF. Lines continuing a dropped header go with it;
// from the first empty line on everything is kept.
std::string FilterForwardHeaders(std::string_view text);

struct InternetMail {
    std::string senderName;  // a name that begins with "0" gives no "From:" line
    std::string userId;
    std::string recipients;  // comma-separated, address-book names already expanded
    std::string subject;
    std::string body;  // lines separated by LF (CR LF taken too)
    std::vector<std::filesystem::path> attachments;
    std::optional<std::string> forwarded;  // a forward: the source mail's message text
};

struct ComposeResult {
    bool ok = false;
    std::string error;              // UTF-8: the path of a file that could not be read
    std::vector<std::string> lost;  // characters ISO-2022-JP could not carry (Shift_JIS)
    bool multipart = false;         // it went out with attachments
};

// Writes the message through `write` (false: stop, composition failed). Body lines are
// broken as the editor breaks them and folded further so that no line passes 76 bytes.
ComposeResult ComposeInternetMail(const InternetMail& mail, const MailDomains& domains,
                                  const EditorSettings& editor, std::string_view boundary,
                                  const std::function<bool(std::string_view)>& write);

}  // namespace morvaline
