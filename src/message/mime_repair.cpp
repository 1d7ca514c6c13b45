#include "message/mime_repair.h"

#include "message/ascii_case.h"

namespace morvaline {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kEmptyLine = "\r\n\r\n";

bool endsWithAt(const std::string& text, std::size_t end, std::string_view suffix) {
    return end >= suffix.size() &&
           std::string_view(text).substr(end - suffix.size(), suffix.size()) == suffix;
}

// Folds an empty line right before the first occurrence of parameter back into the header.
// minOffset keeps a parameter at the very start of the text alone; withBlank also accepts
// a space before the parameter, besides a TAB.
void foldEmptyLineBefore(std::string& text, std::string_view parameter, std::size_t minOffset,
                         bool withBlank) {
    const std::size_t at = text.find(parameter);
    if (at == std::string::npos || at <= minOffset) return;
    // The last CR LF (with the blank after it) becomes one space: a continuation line.
    if (endsWithAt(text, at, kEmptyLine)) {
        text[at - 2] = ' ';
        text.erase(at - 1, 1);
    } else if (at > kEmptyLine.size() && endsWithAt(text, at - 1, kEmptyLine) &&
               (text[at - 1] == '\t' || (withBlank && text[at - 1] == ' '))) {
        text[at - 3] = ' ';
        text.erase(at - 2, 2);
    }
}

// Joins a quoted boundary value that a line break cut in two.
void joinBrokenBoundary(std::string& text) {
    static constexpr std::string_view kBoundary = "boundary=\"";
    const std::size_t at = text.find(kBoundary);
    if (at == std::string::npos) return;
    const std::size_t valueStart = at + kBoundary.size();
    const std::size_t lineEnd = text.find(kCrLf, valueStart);
    if (lineEnd == std::string::npos) return;
    const std::size_t closingQuote = text.find('"', valueStart);
    // Only a value still open at the line end was broken; a closed one stays as it is.
    if (closingQuote < lineEnd || text[lineEnd - 1] == '"') return;
    text.erase(lineEnd, 2);
}

// Folds the line breaks inside quoted names of Content-Type header blocks.
std::string foldBrokenNames(const std::string& text) {
    static constexpr std::string_view kContentType = "\nContent-Type:";
    static constexpr std::string_view kName = "name=\"";
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    // Both searches remember their last answer, so that many header lines cost one pass.
    std::size_t headerEnd = 0;  // the empty line that ends the current header block
    std::size_t nextName = std::string::npos;
    bool nameSearched = false;
    for (;;) {
        const std::size_t header = findNoCase(text, kContentType, pos);
        if (header == std::string::npos) break;
        if (headerEnd < header) {
            headerEnd = text.find(kEmptyLine, header);
            if (headerEnd == std::string::npos) headerEnd = text.size();
        }
        if (!nameSearched || (nextName != std::string::npos && nextName < header)) {
            nextName = text.find(kName, header);
            nameSearched = true;
        }
        if (nextName == std::string::npos || nextName >= headerEnd) {
            out.append(text, pos, header + 1 - pos);
            pos = header + 1;
            continue;
        }
        std::size_t i = nextName + kName.size();
        out.append(text, pos, i - pos);
        for (; i < text.size() && text[i] != '"' && i != headerEnd; ++i) {
            const bool breakToFold = text.compare(i, 2, kCrLf) == 0 && i + 2 < text.size() &&
                                     text[i + 2] != '\0' && text[i + 2] != '\t' &&
                                     text[i + 2] != ' ';
            if (breakToFold) {
                out += '\t';
                ++i;
            } else {
                out += text[i];
            }
        }
        pos = i;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

}  // namespace

std::string RepairMimeHeaders(std::string_view message) {
    std::string text(message);
    foldEmptyLineBefore(text, "boundary=\"", 4, true);
    joinBrokenBoundary(text);
    foldEmptyLineBefore(text, "charset=\"", 3, false);
    return foldBrokenNames(text);
}

}  // namespace morvaline
