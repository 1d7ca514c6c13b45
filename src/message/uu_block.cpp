#include "message/uu_block.h"

#include "message/attachment_name.h"
#include "message/iso2022jp.h"

#include <array>

namespace morvaline {
namespace {

constexpr std::string_view kBegin = "begin ";
constexpr std::string_view kEndLine = "\r\nend";

// The name of a "begin" line (up to its line end); nullopt when the line is none.
std::optional<std::string_view> beginLineName(std::string_view line) {
    if (!line.starts_with(kBegin)) return std::nullopt;
    std::size_t i = kBegin.size();
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t modeStart = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '7') ++i;
    if (i == modeStart || i >= line.size() || line[i] != ' ') return std::nullopt;
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t nameEnd = line.find_first_of("\r\n", i);
    const std::string_view name =
        line.substr(i, nameEnd == std::string_view::npos ? nameEnd : nameEnd - i);
    if (name.empty()) return std::nullopt;
    return name;
}

// Position of a line "end" at or after from, given as the CR LF before it.
std::size_t findEndLine(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find(kEndLine, from); at != std::string_view::npos;
         at = text.find(kEndLine, at + 1)) {
        const std::size_t after = at + kEndLine.size();
        if (after == text.size() || text[after] == '\r' || text[after] == '\n') return at;
    }
    return std::string_view::npos;
}

enum class Alphabet {
    Unknown,  // no line has yielded bytes yet
    Uu,       // uuencode: characters 0x20 ... 0x60
    Xx,       // xxencode: "+-0-9A-Za-z"
};

// How the data lines of a block end.
enum class LineEnd {
    Unknown,   // no data line decoded yet
    Checksum,  // one character: the sum of the bytes or of the characters, modulo 64
    Letter,    // one lower-case letter
    Bare,      // nothing
};

constexpr int kInvalid = -1;

constexpr std::array<signed char, 256> makeUuValues() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = kInvalid;
    for (int c = 0x20; c <= 0x60; ++c) values[c] = static_cast<signed char>((c - 32) & 63);
    return values;
}

constexpr std::array<signed char, 256> makeXxValues() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = kInvalid;
    constexpr std::string_view kXx =
        "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (std::size_t i = 0; i < kXx.size(); ++i)
        values[static_cast<unsigned char>(kXx[i])] = static_cast<signed char>(i);
    return values;
}

constexpr auto kUuValues = makeUuValues();
constexpr auto kXxValues = makeXxValues();

// Decodes one line (without its line end) and appends its bytes to out. Returns the form
// of line end the line shows, or nullopt when it does not decode (out is then unchanged).
std::optional<LineEnd> decodeLine(std::string_view line, Alphabet alphabet, LineEnd form,
                                  std::string& out) {
    const auto& values = alphabet == Alphabet::Xx ? kXxValues : kUuValues;
    const auto value = [&](char c) {
        return static_cast<int>(values[static_cast<unsigned char>(c)]);
    };
    if (line.empty() || value(line[0]) == kInvalid) return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(value(line[0]));
    const std::size_t groups = (count + 2) / 3;
    if (line.size() < 1 + groups * 4) return std::nullopt;

    const std::size_t mark = out.size();
    unsigned byteSum = 0, charSum = 0;
    for (std::size_t g = 0; g < groups; ++g) {
        int v[4];
        for (int k = 0; k < 4; ++k) {
            const char c = line[1 + g * 4 + static_cast<std::size_t>(k)];
            v[k] = value(c);
            if (v[k] == kInvalid) {
                out.resize(mark);
                return std::nullopt;
            }
            charSum += static_cast<unsigned char>(c);
        }
        const unsigned char bytes[3] = {static_cast<unsigned char>(v[0] << 2 | v[1] >> 4),
                                        static_cast<unsigned char>((v[1] & 15) << 4 | v[2] >> 2),
                                        static_cast<unsigned char>((v[2] & 3) << 6 | v[3])};
        for (std::size_t k = 0; k < 3 && g * 3 + k < count; ++k) {
            out += static_cast<char>(bytes[k]);
            byteSum += bytes[k];
        }
    }

    const std::string_view rest = line.substr(1 + groups * 4);
    const auto fail = [&]() -> std::optional<LineEnd> {
        out.resize(mark);
        return std::nullopt;
    };
    if (rest.size() > 1) return fail();
    if (rest.empty())
        return form == LineEnd::Unknown || form == LineEnd::Bare ? std::optional(LineEnd::Bare)
                                                                 : fail();
    const char c = rest[0];
    const int v = value(c);
    const bool sumMatches = v != kInvalid && (static_cast<unsigned>(v) == byteSum % 64 ||
                                              static_cast<unsigned>(v) == charSum % 64);
    const bool letter = c >= 'a' && c <= 'z';
    if (sumMatches && (form == LineEnd::Unknown || form == LineEnd::Checksum))
        return LineEnd::Checksum;
    if (letter && (form == LineEnd::Unknown || form == LineEnd::Letter)) return LineEnd::Letter;
    return fail();
}

}  // namespace

bool IsBeginLine(std::string_view line) {
    return beginLineName(line).has_value();
}

std::optional<UuBlock> ExtractUuBlock(std::string_view text, std::size_t& pos) {
    static constexpr std::string_view kBeginAfterLine = "\r\nbegin ";
    if (pos > text.size()) return std::nullopt;
    std::size_t start = pos;
    std::size_t lineStart = pos;
    if (!text.substr(pos).starts_with(kBegin)) {
        start = text.find(kBeginAfterLine, pos);
        if (start == std::string_view::npos) return std::nullopt;
        lineStart = start + 2;
    }
    for (;;) {
        if (const auto name = beginLineName(text.substr(lineStart))) {
            const std::size_t nameEnd =
                static_cast<std::size_t>(name->data() - text.data()) + name->size();
            const std::size_t endLine = findEndLine(text, nameEnd);
            if (endLine == std::string_view::npos) return std::nullopt;
            std::size_t dataStart = nameEnd;
            if (dataStart < text.size() && text[dataStart] == '\r') ++dataStart;
            if (dataStart < text.size() && text[dataStart] == '\n') ++dataStart;
            const std::size_t dataEnd = endLine + kEndLine.size();
            pos = dataEnd;
            return UuBlock{std::string(text.substr(dataStart, dataEnd - dataStart)),
                           JisToSjis(*name), start};
        }
        start = text.find(kBeginAfterLine, lineStart);
        if (start == std::string_view::npos) return std::nullopt;
        lineStart = start + 2;
    }
}

std::string SplitUuBlocks(std::string_view text, AttachmentList* list) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t from = pos;
        auto block = ExtractUuBlock(text, pos);
        if (!block) break;
        out.append(text.substr(from, block->start - from));
        if (list) {
            std::string name = SafeAttachmentName(block->name);
            if (name.empty()) name = DefaultAttachmentName({}, {});
            list->push_back({std::move(block->data), std::move(name), AttachmentKind::Uuencoded});
        }
    }
    out.append(text.substr(pos));
    return out;
}

std::optional<std::string> DecodeUuBlock(std::string_view block) {
    std::string out;
    out.reserve(block.size() * 3 / 4);
    Alphabet alphabet = Alphabet::Unknown;
    LineEnd form = LineEnd::Unknown;
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::size_t lineEnd = block.find_first_of("\r\n", pos);
        const std::string_view line = block.substr(
            pos, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - pos);
        if (line == "end") return out;
        pos = lineEnd == std::string_view::npos ? block.size() : lineEnd + 1;
        if (lineEnd != std::string_view::npos && block[lineEnd] == '\r' && pos < block.size() &&
            block[pos] == '\n')
            ++pos;

        std::optional<LineEnd> shown;
        if (alphabet != Alphabet::Unknown) {
            shown = decodeLine(line, alphabet, form, out);
        } else {
            // Try uuencode, then xxencode; the first that yields bytes fixes the alphabet.
            const std::size_t mark = out.size();
            shown = decodeLine(line, Alphabet::Uu, form, out);
            if (shown && out.size() > mark) {
                alphabet = Alphabet::Uu;
            } else {
                const auto asXx = decodeLine(line, Alphabet::Xx, form, out);
                if (asXx && out.size() > mark) {
                    alphabet = Alphabet::Xx;
                    shown = asXx;
                } else if (!shown) {
                    shown = asXx;
                }
            }
        }
        if (!shown) return std::nullopt;
        form = *shown;
    }
    return std::nullopt;  // no "end" line
}

}  // namespace morvaline
