#include "message/mime_part.h"

#include "message/mime_token.h"
#include "platform/ascii_case.h"

#include <algorithm>

namespace morvaline {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next token that is not a comment; comments may stand anywhere in a value.
MimeToken nextToken(MimeTokenMode mode, std::string_view value, std::size_t& pos) {
    MimeToken token = NextMimeToken(mode, value, pos);
    while (token.type == MimeTokenType::Comment) token = NextMimeToken(mode, value, token.next);
    pos = token.next;
    return token;
}

bool isTSpecial(const MimeToken& token, char c) {
    return token.type == MimeTokenType::TSpecial && token.text.size() == 1 && token.text[0] == c;
}

// Parameter groups "; name=value" up to the end of the value, appended to params as
// they are read. False on anything else.
bool parseParams(std::string_view value, std::size_t pos, std::vector<MimeParam>& params) {
    for (;;) {
        const MimeToken separator = nextToken(MimeTokenMode::Token, value, pos);
        if (separator.type == MimeTokenType::End) return true;
        if (!isTSpecial(separator, ';')) return false;
        const MimeToken name = nextToken(MimeTokenMode::Token, value, pos);
        if (name.type != MimeTokenType::Token) return false;
        if (!isTSpecial(nextToken(MimeTokenMode::Token, value, pos), '=')) return false;
        MimeToken parameterValue = nextToken(MimeTokenMode::Token, value, pos);
        if (parameterValue.type != MimeTokenType::Token &&
            parameterValue.type != MimeTokenType::QuotedString)
            return false;
        params.push_back({name.text, std::move(parameterValue.text)});
    }
}

bool parseMimeVersion(std::string_view value) {
    std::size_t pos = 0;
    const auto is = [&](MimeTokenType type, std::string_view text) {
        const MimeToken token = nextToken(MimeTokenMode::Atom, value, pos);
        return token.type == type && token.text == text;
    };
    return is(MimeTokenType::Atom, "1") && is(MimeTokenType::Special, ".") &&
           is(MimeTokenType::Atom, "0") &&
           nextToken(MimeTokenMode::Atom, value, pos).type == MimeTokenType::End;
}

bool parseContentType(std::string_view value, MimePart& part) {
    std::size_t pos = 0;
    MimeToken type = nextToken(MimeTokenMode::Token, value, pos);
    if (type.type != MimeTokenType::Token) return false;
    if (!isTSpecial(nextToken(MimeTokenMode::Token, value, pos), '/')) return false;
    MimeToken subtype = nextToken(MimeTokenMode::Token, value, pos);
    if (subtype.type != MimeTokenType::Token) return false;
    part.type = std::move(type.text);
    part.subtype = std::move(subtype.text);
    return parseParams(value, pos, part.params);
}

bool parseEncoding(std::string_view value, MimePart& part) {
    std::size_t pos = 0;
    MimeToken token = nextToken(MimeTokenMode::Token, value, pos);
    if (token.type != MimeTokenType::Token ||
        nextToken(MimeTokenMode::Token, value, pos).type != MimeTokenType::End)
        return false;
    part.encoding = std::move(token.text);
    return true;
}

// A malformed disposition is ignored as a whole.
void parseDisposition(std::string_view value, MimePart& part) {
    std::size_t pos = 0;
    if (nextToken(MimeTokenMode::Token, value, pos).type != MimeTokenType::Token) return;
    std::vector<MimeParam> params;
    if (!parseParams(value, pos, params)) return;
    for (auto& param : params) part.params.push_back(std::move(param));
}

struct HeaderSeen {
    bool contentType = false;
    bool encoding = false;
};

// Interprets one unfolded header line; false when the line fails the header parse.
bool interpretLine(std::string_view line, MimePart& part, HeaderSeen& seen) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return true;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    const std::string_view value = line.substr(colon + 1);
    if (equalsNoCase(name, "MIME-Version")) return parseMimeVersion(value);
    if (equalsNoCase(name, "Content-Type")) {
        seen.contentType = true;
        return parseContentType(value, part);
    }
    if (equalsNoCase(name, "Content-Transfer-Encoding")) {
        seen.encoding = true;
        return parseEncoding(value, part);
    }
    if (equalsNoCase(name, "Content-Disposition")) parseDisposition(value, part);
    return true;
}

// The logical header line from pos (folded lines joined, each CR LF as one space, trailing
// blanks removed); next is set to the start of the following line.
std::string unfoldLine(std::string_view range, std::size_t pos, std::size_t& next) {
    std::size_t lineEnd = range.find(kCrLf, pos);
    while (lineEnd != std::string_view::npos && lineEnd + 2 < range.size() &&
           isBlank(range[lineEnd + 2]))
        lineEnd = range.find(kCrLf, lineEnd + 2);
    const std::string_view raw =
        range.substr(pos, lineEnd == std::string_view::npos ? lineEnd : lineEnd - pos);
    next = lineEnd == std::string_view::npos ? range.size() : lineEnd + 2;

    std::string line;
    line.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            line += ' ';
            ++i;
        } else {
            line += raw[i];
        }
    }
    while (!line.empty() && isBlank(line.back())) line.pop_back();
    return line;
}

// Reads the header block from part.start and leaves the cursor at the body. After a
// failing line the remaining lines are passed over without being interpreted, so the
// cursor still finds the body. False when a line failed.
bool parseHeader(MimePart& part) {
    const std::string_view range = part.text.substr(0, part.end);
    HeaderSeen seen;
    bool ok = true;
    std::size_t pos = part.start;
    for (;;) {
        if (pos >= range.size()) {
            pos = range.size();
            break;
        }
        if (range.substr(pos).starts_with(kCrLf)) {
            pos += 2;
            break;
        }
        if (isBlank(range[pos])) break;
        std::size_t next = 0;
        const std::string line = unfoldLine(range, pos, next);
        if (ok) ok = interpretLine(line, part, seen);
        pos = next;
    }
    part.cursor = pos;
    if (!ok) return false;
    if (!seen.contentType) {
        part.type = "text";
        part.subtype = "plain";
    }
    if (!seen.encoding) part.encoding = "7bit";
    return true;
}

// Position of the next delimiter line at or after from whose delimiter fits before end:
// the delimiter followed by "--", a line end, a blank or the end of the part. A line that
// merely starts with the delimiter (a longer boundary of an inner part) does not count.
std::size_t findDelimiter(std::string_view range, std::string_view delimiter, std::size_t from) {
    for (std::size_t at = range.find(delimiter, from); at != std::string_view::npos;
         at = range.find(delimiter, at + 1)) {
        const std::string_view after = range.substr(at + delimiter.size());
        if (after.empty() || after.starts_with("--") || after[0] == '\r' || after[0] == '\n' ||
            isBlank(after[0]))
            return at;
    }
    return std::string_view::npos;
}

// Cuts a multipart into its children at its delimiter lines and parses them. A closing
// delimiter ends the split whatever follows it; without one the children found before the
// last delimiter are kept and the split fails.
bool splitMultipart(MimePart& part, std::size_t& partsLeft) {
    const std::string* boundary = part.param("boundary");
    if (!boundary || boundary->empty()) return false;
    const std::string delimiter = "\r\n--" + *boundary;
    const std::string_view range = part.text.substr(0, part.end);

    // Back over the CR LF of the empty line, so that a delimiter that opens the body counts.
    std::size_t pos = std::max(part.cursor, part.start + 2) - 2;
    bool ok = true;
    bool first = true;
    std::size_t childStart = 0;
    for (;;) {
        const std::size_t at = findDelimiter(range, delimiter, pos);
        if (at == std::string_view::npos) {
            ok = false;
            break;
        }
        const std::size_t after = at + delimiter.size();
        const bool closing = range.substr(after).starts_with("--");
        if (!first) {
            if (partsLeft == 0) break;
            --partsLeft;
            MimePart child;
            child.text = part.text;
            child.start = childStart;
            child.end = std::max(at, childStart);
            child.depth = part.depth + 1;
            part.children.push_back(std::move(child));
        }
        if (closing) {
            ok = !first;
            break;
        }
        const std::size_t lineEnd = range.find(kCrLf, after);
        if (lineEnd == std::string_view::npos) {
            ok = false;
            break;
        }
        childStart = lineEnd + 2;
        first = false;
        pos = lineEnd;
    }
    for (MimePart& child : part.children)
        if (!ParseMimePart(child, partsLeft)) ok = false;
    return ok;
}

}  // namespace

const std::string* MimePart::param(std::string_view name) const {
    for (auto it = params.rbegin(); it != params.rend(); ++it)
        if (equalsNoCase(it->name, name)) return &it->value;
    return nullptr;
}

bool MimePart::isType(std::string_view wantedType, std::string_view wantedSubtype) const {
    if (!type || !equalsNoCase(*type, wantedType)) return false;
    return wantedSubtype.empty() || (subtype && equalsNoCase(*subtype, wantedSubtype));
}

std::string_view MimePart::body() const {
    const std::size_t last = std::min(end, text.size());
    const std::size_t first = std::min(start, last);
    const std::string_view range = text.substr(first, last - first);
    const std::size_t emptyLine = range.find("\n\r\n");
    if (emptyLine == std::string_view::npos) return {};
    return range.substr(emptyLine + 3);
}

bool ParseMimePart(MimePart& part, std::size_t& partsLeft) {
    part.end = std::min(part.end, part.text.size());
    part.start = std::min(part.start, part.end);
    parseHeader(part);
    while (part.isType("message", "rfc822") && part.depth < kMaxMimeDepth) {
        part.type.reset();
        part.subtype.reset();
        part.encoding.reset();
        part.start = part.cursor;
        ++part.depth;
        parseHeader(part);
    }
    if (part.isType("multipart") && part.depth < kMaxMimeDepth)
        return splitMultipart(part, partsLeft);
    return true;
}

}  // namespace morvaline
