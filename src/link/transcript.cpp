#include "link/transcript.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>

#include "platform/ascii_digits.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHexEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

// Length of the Shift_JIS character at pos: 2 for a lead byte with a byte after it.
std::size_t charLength(std::string_view text, std::size_t pos) {
    return isSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// Printable Shift_JIS as UTF-8; bytes that do not come back unchanged are escaped.
void appendPrintable(std::string& out, std::string_view run) {
    if (run.empty()) return;
    std::string utf8 = sjisToUtf8(run);
    if (utf8ToSjis(utf8) == run) {
        out += utf8;
        return;
    }
    for (std::size_t pos = 0; pos < run.size();) {
        const std::size_t length = charLength(run, pos);
        const std::string_view ch = run.substr(pos, length);
        utf8 = sjisToUtf8(ch);
        if (utf8ToSjis(utf8) == ch) {
            out += utf8;
        } else {
            for (const char byte : ch) appendHexEscape(out, static_cast<unsigned char>(byte));
        }
        pos += length;
    }
}

char kindLetter(TranscriptKind kind) {
    switch (kind) {
        case TranscriptKind::Shown:
            return 'S';
        case TranscriptKind::Sent:
            return 'C';
        case TranscriptKind::Dropped:
            return 'X';
    }
    return '?';
}

// One file line for an entry whose host text holds at most one LF, at its end.
std::string formatLine(TranscriptKind kind, std::string_view sjis, double seconds) {
    std::string line;
    if (seconds >= 0) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "[%9.3f] ", seconds);
        line += stamp;
    }
    line += kindLetter(kind);
    if (kind != TranscriptKind::Dropped) {
        line += ": ";
        line += escapeTranscriptText(sjis);
    }
    line += '\n';
    return line;
}

}  // namespace

std::string escapeTranscriptText(std::string_view sjis) {
    std::string out;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    const auto flush = [&] { appendPrintable(out, sjis.substr(runStart, pos - runStart)); };
    while (pos < sjis.size()) {
        const std::size_t length = charLength(sjis, pos);
        const auto byte = static_cast<unsigned char>(sjis[pos]);
        if (length == 1 && (byte < 0x20 || byte == 0x7F || byte == '\\')) {
            flush();
            switch (byte) {
                case '\r':
                    out += "\\r";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                default:
                    appendHexEscape(out, byte);
            }
            pos += 1;
            runStart = pos;
            continue;
        }
        pos += length;
    }
    flush();
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
        out += "\\x20";
    }
    return out;
}

std::optional<std::string> unescapeTranscriptText(std::string_view text) {
    std::string out;
    std::size_t literalStart = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] != '\\') {
            ++pos;
            continue;
        }
        out += utf8ToSjis(text.substr(literalStart, pos - literalStart));
        if (pos + 1 >= text.size()) return std::nullopt;
        switch (text[pos + 1]) {
            case 'r':
                out += '\r';
                pos += 2;
                break;
            case 'n':
                out += '\n';
                pos += 2;
                break;
            case 't':
                out += '\t';
                pos += 2;
                break;
            case '\\':
                out += '\\';
                pos += 2;
                break;
            case 'x': {
                if (pos + 3 >= text.size()) return std::nullopt;
                const int high = hexDigitValue(text[pos + 2]);
                const int low = hexDigitValue(text[pos + 3]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                pos += 4;
                break;
            }
            default:
                return std::nullopt;
        }
        literalStart = pos;
    }
    out += utf8ToSjis(text.substr(literalStart));
    return out;
}

std::string formatTranscriptEntry(const TranscriptEntry& entry) {
    if (entry.kind != TranscriptKind::Shown)
        return formatLine(entry.kind, entry.bytes, entry.seconds);
    std::string lines;
    const std::string_view text = entry.bytes;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = charLength(text, pos);
        pos += length;
        if (length == 1 && text[pos - 1] == '\n') {
            lines += formatLine(entry.kind, text.substr(start, pos - start), entry.seconds);
            start = pos;
        }
    }
    if (start < text.size() || text.empty())
        lines += formatLine(entry.kind, text.substr(start), entry.seconds);
    return lines;
}

std::optional<std::vector<TranscriptEntry>> parseTranscript(std::string_view text,
                                                            std::string* error) {
    std::vector<TranscriptEntry> entries;
    int lineNumber = 0;
    const auto fail = [&](const char* what) -> std::optional<std::vector<TranscriptEntry>> {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + what;
        return std::nullopt;
    };
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;

        TranscriptEntry entry;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) return fail("time stamp without ']'");
            std::string_view stamp = line.substr(1, close - 1);
            while (!stamp.empty() && stamp[0] == ' ') stamp.remove_prefix(1);
            const auto [ptr, ec] =
                std::from_chars(stamp.data(), stamp.data() + stamp.size(), entry.seconds);
            if (ec != std::errc() || ptr != stamp.data() + stamp.size())
                return fail("bad time stamp");
            line.remove_prefix(close + 1);
            if (line.starts_with(' ')) line.remove_prefix(1);
        }
        if (line == "X") {
            entry.kind = TranscriptKind::Dropped;
            entries.push_back(std::move(entry));
            continue;
        }
        if (line.size() < 2 || line[1] != ':' || (line[0] != 'S' && line[0] != 'C'))
            return fail("expected 'S:', 'C:' or 'X'");
        entry.kind = line[0] == 'S' ? TranscriptKind::Shown : TranscriptKind::Sent;
        line.remove_prefix(2);
        if (line.starts_with(' ')) line.remove_prefix(1);
        auto bytes = unescapeTranscriptText(line);
        if (!bytes) return fail("bad escape");
        entry.bytes = std::move(*bytes);
        entries.push_back(std::move(entry));
    }
    return entries;
}

TranscriptWriter::~TranscriptWriter() {
    close();
}

bool TranscriptWriter::open(const std::filesystem::path& path, std::string* error) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || !(file_ = ::fdopen(fd, "w"))) {
        if (fd >= 0) ::close(fd);
        if (error) *error = path.string() + ": cannot be created";
        return false;
    }
    static constexpr std::string_view kHeading = "# Morvaline dialogue transcript\n";
    if (std::fwrite(kHeading.data(), 1, kHeading.size(), file_) != kHeading.size()) {
        close();
        if (error) *error = path.string() + ": cannot be written";
        return false;
    }
    return true;
}

bool TranscriptWriter::write(TranscriptKind kind, std::string_view sjis, double seconds) {
    if (!file_) return false;
    const std::string lines = formatTranscriptEntry({kind, std::string(sjis), seconds});
    if (std::fwrite(lines.data(), 1, lines.size(), file_) != lines.size() ||
        std::fflush(file_) != 0) {
        close();
        return false;
    }
    return true;
}

void TranscriptWriter::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace morvaline
