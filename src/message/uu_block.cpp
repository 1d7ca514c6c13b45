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

bool endsLine(const unsigned char* at, const unsigned char* end) {
    return at == end || *at == '\r' || *at == '\n';
}

// One decoded data line: where the next line starts, the form of line end it shows and
// the bytes it yielded.
struct DecodedLine {
    const unsigned char* next;
    LineEnd form;
    std::size_t bytes;
};

// Decodes the line at s with the alphabet, writing its bytes (and up to two bytes of
// surplus from the last group) at out. nullopt when the line does not decode; a line end
// inside the groups is an invalid character in either alphabet, so a short line fails too.
// The sums are kept only while a checksum character may follow (kSums): once the block's
// lines are known to end bare or in a letter, they are not needed.
template <bool kSums>
std::optional<DecodedLine> decodeLineWith(const unsigned char* s, const unsigned char* end,
                                          Alphabet alphabet, LineEnd form, char* out) {
    const auto& values = alphabet == Alphabet::Xx ? kXxValues : kUuValues;
    if (s == end || values[*s] == kInvalid) return std::nullopt;
    const auto count = static_cast<std::size_t>(values[*s]);
    const std::size_t groups = (count + 2) / 3;
    if (static_cast<std::size_t>(end - s) < 1 + groups * 4) return std::nullopt;

    const unsigned char* g = s + 1;
    const char* const lineBytes = out;
    unsigned byteSum = 0, charSum = 0;
    for (std::size_t k = 0; k < groups; ++k, g += 4, out += 3) {
        const int w = values[g[0]], x = values[g[1]], y = values[g[2]], z = values[g[3]];
        if ((w | x | y | z) < 0) return std::nullopt;
        if (kSums) charSum += g[0] + g[1] + g[2] + g[3];
        const auto b0 = static_cast<unsigned char>(w << 2 | x >> 4);
        const auto b1 = static_cast<unsigned char>((x & 15) << 4 | y >> 2);
        const auto b2 = static_cast<unsigned char>((y & 3) << 6 | z);
        out[0] = static_cast<char>(b0);
        out[1] = static_cast<char>(b1);
        out[2] = static_cast<char>(b2);
        if (kSums) byteSum += b0 + b1 + b2;
    }
    // Only count bytes belong to the line; the surplus of the last group does not count.
    if (kSums)
        for (std::size_t k = count; k < groups * 3; ++k)
            byteSum -= static_cast<unsigned char>(lineBytes[k]);

    const unsigned char* lineEnd = g;
    LineEnd shown;
    if (endsLine(g, end)) {
        if (form != LineEnd::Unknown && form != LineEnd::Bare) return std::nullopt;
        shown = LineEnd::Bare;
    } else {
        if (!endsLine(g + 1, end)) return std::nullopt;
        const int v = values[*g];
        const bool sumMatches = v != kInvalid && (static_cast<unsigned>(v) == byteSum % 64 ||
                                                  static_cast<unsigned>(v) == charSum % 64);
        const bool letter = *g >= 'a' && *g <= 'z';
        if (sumMatches && (form == LineEnd::Unknown || form == LineEnd::Checksum))
            shown = LineEnd::Checksum;
        else if (letter && (form == LineEnd::Unknown || form == LineEnd::Letter))
            shown = LineEnd::Letter;
        else
            return std::nullopt;
        ++lineEnd;
    }
    const unsigned char* next = lineEnd;
    if (next != end && *next == '\r') {
        ++next;
        if (next != end && *next == '\n') ++next;
    } else if (next != end && *next == '\n') {
        ++next;
    }
    return DecodedLine{next, shown, count};
}

std::optional<DecodedLine> decodeLine(const unsigned char* s, const unsigned char* end,
                                      Alphabet alphabet, LineEnd form, char* out) {
    return form == LineEnd::Unknown || form == LineEnd::Checksum
               ? decodeLineWith<true>(s, end, alphabet, form, out)
               : decodeLineWith<false>(s, end, alphabet, form, out);
}

// True when the line at s is exactly "end".
bool isEndLine(const unsigned char* s, const unsigned char* end) {
    return end - s >= 3 && s[0] == 'e' && s[1] == 'n' && s[2] == 'd' && endsLine(s + 3, end);
}

}  // namespace

void UuPartScan::addLine(std::string_view line) {
    constexpr std::size_t kBeginLineMin = 10;
    if (!open_ && line.size() >= kBeginLineMin && line.front() == 'b' && IsBeginLine(line)) {
        open_ = true;
    } else if (open_ && line == "end") {
        open_ = false;
        closed_ = true;
    }
}

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
            return UuBlock{text.substr(dataStart, dataEnd - dataStart), JisToSjis(*name), start};
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
            list->push_back({std::string(block->data), std::move(name), AttachmentKind::Uuencoded});
        }
    }
    out.append(text.substr(pos));
    return out;
}

bool DecodeUuBlock(std::string_view block, const std::function<bool(std::string_view)>& emit) {
    const auto* s = reinterpret_cast<const unsigned char*>(block.data());
    const auto* const end = s + block.size();
    // A line yields at most 63 bytes, and two more of its last group are written.
    constexpr std::size_t kLineRoom = 66;
    char piece[kUuPiece + kLineRoom];
    char* p = piece;
    Alphabet alphabet = Alphabet::Unknown;
    LineEnd form = LineEnd::Unknown;
    while (s != end) {
        if (isEndLine(s, end)) return emit({piece, static_cast<std::size_t>(p - piece)});
        if (p - piece >= static_cast<std::ptrdiff_t>(kUuPiece)) {
            if (!emit({piece, static_cast<std::size_t>(p - piece)})) return false;
            p = piece;
        }
        std::optional<DecodedLine> line;
        if (alphabet != Alphabet::Unknown) {
            line = decodeLine(s, end, alphabet, form, p);
        } else {
            // Try uuencode, then xxencode; the first that yields bytes fixes the alphabet.
            line = decodeLine(s, end, Alphabet::Uu, form, p);
            if (line && line->bytes > 0) {
                alphabet = Alphabet::Uu;
            } else if (const auto asXx = decodeLine(s, end, Alphabet::Xx, form, p);
                       asXx && (asXx->bytes > 0 || !line)) {
                if (asXx->bytes > 0) alphabet = Alphabet::Xx;
                line = asXx;
            }
        }
        if (!line) return false;
        form = line->form;
        p += line->bytes;
        s = line->next;
    }
    return false;  // no "end" line
}

std::optional<std::string> DecodeUuBlock(std::string_view block) {
    std::string out;
    out.reserve(block.size() / 4 * 3);
    const bool decoded = DecodeUuBlock(block, [&out](std::string_view bytes) {
        out.append(bytes);
        return true;
    });
    if (!decoded) return std::nullopt;
    return out;
}

}  // namespace morvaline
