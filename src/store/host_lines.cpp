#include "store/host_lines.h"

#include "platform/ascii_digits.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

// The number in a part of a page counter, -1 when the part holds no digit.
int counterNumber(std::string_view part) {
    int value = -1;
    for (const char c : part) {
        if (c == ' ') continue;
        value = (value < 0 ? 0 : value * 10) + (c - '0');
    }
    return value;
}

}  // namespace

std::size_t messageTagLength(std::string_view line) {
    if (line.empty() || line[0] != '#') return 0;
    bool slash = false;
    std::size_t i = 1;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || (isSjisLeadByte(static_cast<unsigned char>(c)) && i > 1)) break;
        if (c == '/') slash = true;
        else if (!isAsciiDigit(c)) return 0;  // also a double-byte character right after "#"
    }
    return slash ? i : 0;
}

bool isTitleLine(std::string_view line) {
    static const std::string kHead = sj("★タイトル") + " (";
    if (!line.starts_with(kHead)) return false;
    for (std::size_t i = kHead.size(); i < line.size(); ++i) {
        const char c = line[i];
        if (c == ')') return true;
        if (!(c == ' ' || isAsciiDigit(c) || (c >= 'A' && c <= 'Z'))) return false;
    }
    return false;
}

PageLine pageLine(std::string_view line) {
    if (line.size() != 7) return PageLine::None;
    const std::size_t slash = line.find('/');
    if (slash == std::string_view::npos || line.find('/', slash + 1) != std::string_view::npos)
        return PageLine::None;
    for (const char c : line)
        if (!(c == ' ' || c == '/' || isAsciiDigit(c))) return PageLine::None;
    const int page = counterNumber(line.substr(0, slash));
    const int pages = counterNumber(line.substr(slash + 1));
    if (page < 0 || pages < 0) return PageLine::None;
    return page == pages ? PageLine::Last : PageLine::More;
}

bool isBoardPrompt(std::string_view line) {
    static const std::string kForum =
        sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=");
    static const std::string kBoard =
        sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)=");
    return line.starts_with(kForum) || line.starts_with(kBoard) || pageLine(line) == PageLine::Last;
}

bool isMailPrompt(std::string_view line) {
    static const std::string kPrompt = sj("番号またはコマンド");
    return line.starts_with(kPrompt) || pageLine(line) == PageLine::Last;
}

bool isMailListLine(std::string_view line) {
    if (line.size() != 38 || line[0] != '#') return false;
    static constexpr std::string_view kShape = "#dddddddd         dd/dd/dd    dd:dd:dd";
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == 'd' ? !isAsciiDigit(line[i]) : line[i] != kShape[i]) return false;
    }
    return true;
}

std::string_view mailListDate(std::string_view line) {
    return isMailListLine(line) ? line.substr(18, 20) : std::string_view();
}

std::string_view cutCommentMarker(std::string_view tagLine) {
    static const std::string kMarkers[] = {"    *** " + sj("ｺﾒﾝﾄ") + " ", " " + sj("ｺﾒﾝﾄ数(")};
    std::size_t cut = tagLine.size();
    for (const std::string& marker : kMarkers) cut = std::min(cut, tagLine.find(marker));
    return tagLine.substr(0, cut);
}

}  // namespace morvaline
