#include "message/internet_mail.h"

#include <array>
#include <fstream>

#include "message/base64.h"
#include "message/header_words.h"
#include "message/iso2022jp.h"
#include "message/jis_lossy.h"
#include "platform/ascii_case.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"
#include "store/line_breaker.h"

namespace morvaline {
namespace {

constexpr std::string_view kBoundaryAlphabet =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-";
constexpr std::string_view kMailer = "Tollivo";
constexpr std::string_view kMailerVersion = "2.34";
constexpr int kLineBudget = 70;
constexpr int kContinuationRoom = 68;
constexpr std::size_t kMaxBodyLine = 76;
constexpr std::size_t kBase64Group = 51;

constexpr std::array<std::string_view, 19> kDroppedHeaders = {"To:",
                                                              "Resent-To:",
                                                              "Cc:",
                                                              "Resent-Cc:",
                                                              "Bcc:",
                                                              "Resent-Bcc:",
                                                              "From:",
                                                              "Resent-From:",
                                                              "Subject:",
                                                              "Message-Id:",
                                                              "Resent-Message-Id:",
                                                              "In-Reply-To:",
                                                              "Reply-To:",
                                                              "Resent-Reply-To:",
                                                              "Sender:",
                                                              "Resent-Sender:",
                                                              "Date:",
                                                              "Received:",
                                                              "Return-Path:"};

// A header value without the bytes that would end or corrupt its line.
std::string headerText(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    return out;
}

class Writer {
public:
    explicit Writer(const std::function<bool(std::string_view)>& write) : write_(write) {}
    bool ok() const { return ok_; }
    void put(std::string_view bytes) {
        if (ok_) ok_ = write_(bytes);
    }
    // A header whose value is encoded: the first line has the room left after its label,
    // continuation lines begin with two spaces and have 68 characters.
    void header(std::string_view label, std::string_view value, int room) {
        std::size_t pos = 0;
        std::string line(label);
        do {
            const EncodedHeaderLine encoded = EncodeHeaderWords(value.substr(pos), room);
            line += encoded.text;
            put(line + "\r\n");
            pos += encoded.resume;
            line = "  ";
            room = kContinuationRoom;
        } while (pos < value.size());
    }

private:
    const std::function<bool(std::string_view)>& write_;
    bool ok_ = true;
};

// The display lines of one body line, each folded further until its ISO-2022-JP form fits
// in 76 bytes.
std::vector<std::string> bodyLines(std::string_view line, const EditorSettings& editor) {
    std::vector<std::string> out;
    const std::vector<std::size_t> breaks = breakParagraph(line, editor);
    std::size_t start = 0;
    for (std::size_t b = 0; b <= breaks.size(); ++b) {
        const std::size_t end = b < breaks.size() ? breaks[b] : line.size();
        std::string_view piece = line.substr(start, end - start);
        start = end;
        while (SjisToJis(piece).size() > kMaxBodyLine) {
            std::size_t cut = 0;
            while (cut < piece.size()) {
                const std::size_t next = cut + sjisCharWidth(piece, cut);
                if (SjisToJis(piece.substr(0, next)).size() > kMaxBodyLine) break;
                cut = next;
            }
            if (cut == 0) cut = sjisCharWidth(piece, 0);
            out.emplace_back(piece.substr(0, cut));
            piece.remove_prefix(cut);
        }
        out.emplace_back(piece);
    }
    return out;
}

// The name an attached file goes out with: the last part of its path, without the bytes
// that would end its quoted string or its line.
std::string attachmentName(const std::filesystem::path& path) {
    std::string name = utf8ToSjis(path.filename().string());
    std::string out;
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '"' && c != '\\') out += c;
    return out.empty() ? "FILE" : out;
}

void addLost(ComposeResult& result, std::string_view text) {
    for (std::string& c : LostInIso2022Jp(text))
        if (std::find(result.lost.begin(), result.lost.end(), c) == result.lost.end())
            result.lost.push_back(std::move(c));
}

// The recipients as the "To:" line writes them.
std::vector<std::string> toAddresses(std::string_view list, const MailDomains& domains) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string address = ConvertMailAddress(list.substr(start, comma - start), domains);
        start = comma + 1;
        while (address.starts_with(' ')) address.erase(0, 1);
        while (address.ends_with(' ')) address.pop_back();
        if (!address.empty()) out.push_back(std::move(address));
    }
    return out;
}

bool writeAttachment(Writer& w, const std::filesystem::path& path, std::string_view boundary,
                     ComposeResult& result) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(path, ec)) {
        result.error = path.string();
        return false;
    }
    const std::string quoted = "\"" + attachmentName(path) + "\"";
    addLost(result, quoted);
    w.put("--" + std::string(boundary) + "\r\n");
    w.header("Content-Type: application/octet-stream; name=", quoted, 25);
    w.put("Content-Transfer-Encoding: base64\r\n");
    w.header("Content-Disposition: attachment; filename=", quoted, 28);
    w.put("\r\n");
    std::string group(kBase64Group * 64, '\0');
    bool any = false;
    while (in && w.ok()) {
        in.read(group.data(), static_cast<std::streamsize>(group.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) break;
        std::string out;
        for (std::size_t at = 0; at < got; at += kBase64Group)
            out +=
                Base64Encode(std::string_view(group).substr(at, std::min(kBase64Group, got - at))) +
                "\r\n";
        any = any || got > 0;
        w.put(out);
    }
    if (in.bad()) {
        result.error = path.string();
        return false;
    }
    if (!any) w.put("\r\n");  // an empty file is one empty line
    w.put("\r\n");
    return true;
}

}  // namespace

std::string MakeBoundary(std::size_t size, const std::function<unsigned()>& draw) {
    if (size < 1) return {};
    std::string out = "__";
    out.resize(std::min<std::size_t>(2, size - 1));
    while (out.size() < size - 1) out += kBoundaryAlphabet[draw() % kBoundaryAlphabet.size()];
    return out;
}

std::string FilterForwardHeaders(std::string_view text) {
    std::string out;
    bool inHeader = true;
    bool dropping = false;
    for (const std::string& line : splitTextLines(text)) {
        if (inHeader && line.empty()) inHeader = false;
        if (inHeader) {
            const bool continuation = line.starts_with(' ') || line.starts_with('\t');
            if (continuation && dropping) continue;
            dropping = false;
            for (const auto name : kDroppedHeaders)
                if (startsWithNoCase(line, name)) dropping = true;
            if (dropping) continue;
        }
        out.append(line);
        out += "\r\n";
    }
    return out;
}

ComposeResult ComposeInternetMail(const InternetMail& mail, const MailDomains& domains,
                                  const EditorSettings& editor, std::string_view boundary,
                                  const std::function<bool(std::string_view)>& write) {
    ComposeResult result;
    Writer w(write);
    const std::string sender = headerText(mail.senderName);
    if (!sender.starts_with('0')) {
        addLost(result, sender);
        w.header("From: ", sender + " <" + headerText(mail.userId) + "@" + domains.own + ">",
                 kLineBudget - 6);
    }
    const std::vector<std::string> addresses = toAddresses(mail.recipients, domains);
    if (!addresses.empty()) {
        std::string line = "To:";
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            // An address that does not fit goes on a line of its own.
            if (line != "To:" && line.size() + addresses[i].size() >= kLineBudget) {
                w.put(line + "\r\n");
                line = "  ";
            }
            line += " " + addresses[i];
            if (i + 1 < addresses.size()) line += ',';
        }
        w.put(line + "\r\n");
    }
    const std::string subject = headerText(mail.subject);
    addLost(result, subject);
    w.header("Subject: ", subject, kLineBudget - 9);

    if (mail.forwarded) {
        std::string_view source = *mail.forwarded;
        // A stored mail text may open with a page break (form feed, CR, LF), which is no
        // part of the message the gateway passes on.
        if (source.starts_with("\x0C\r\n")) source.remove_prefix(3);
        w.put(FilterForwardHeaders(source));
        result.ok = w.ok();
        if (!result.ok) result.error = "the message could not be written";
        return result;
    }

    result.multipart = !mail.attachments.empty();
    w.put("Mime-Version: 1.0\r\n");
    w.put("X-Mailer: " + std::string(kMailer) + " " + std::string(kMailerVersion) + "\r\n");
    if (result.multipart) {
        w.put("Content-Type: multipart/mixed; boundary=\"" + std::string(boundary) + "\"\r\n");
        w.put("\r\n");
        w.put("--" + std::string(boundary) + "\r\n");
    }
    w.put("Content-Type: text/plain; charset=iso-2022-jp\r\n");
    w.put("\r\n");
    for (const std::string& line : splitTextLines(mail.body)) {
        addLost(result, line);
        for (const std::string& piece : bodyLines(line, editor)) w.put(SjisToJis(piece) + "\r\n");
    }
    w.put("\r\n");
    if (result.multipart) {
        for (const std::filesystem::path& path : mail.attachments)
            if (!writeAttachment(w, path, boundary, result)) return result;
        w.put("--" + std::string(boundary) + "--\r\n");
    }
    result.ok = w.ok();
    if (!result.ok) result.error = "the message could not be written";
    return result;
}

}  // namespace morvaline
