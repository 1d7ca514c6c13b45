#include "message/mime_repair.h"

#include "platform/ascii_case.h"

#include <cstring>

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

// Folds the line breaks inside quoted names of Content-Type header blocks. A fold only
// shortens the text, so it is done in place: the text is read at pos and kept at kept,
// which never runs ahead of pos, and nothing moves until the first fold.
void foldBrokenNames(std::string& text) {
    static constexpr std::string_view kContentType = "\nContent-Type:";
    static constexpr std::string_view kName = "name=\"";
    std::size_t pos = 0;
    std::size_t kept = 0;
    const auto keepUpTo = [&](std::size_t until) {
        if (kept != pos) std::memmove(text.data() + kept, text.data() + pos, until - pos);
        kept += until - pos;
        pos = until;
    };
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
            keepUpTo(header + 1);
            continue;
        }
        keepUpTo(nextName + kName.size());
        for (; pos < text.size() && text[pos] != '"' && pos != headerEnd; ++pos) {
            const bool breakToFold = text.compare(pos, 2, kCrLf) == 0 && pos + 2 < text.size() &&
                                     text[pos + 2] != '\0' && text[pos + 2] != '\t' &&
                                     text[pos + 2] != ' ';
            if (breakToFold) {
                text[kept++] = '\t';
                ++pos;
            } else {
                text[kept++] = text[pos];
            }
        }
    }
    keepUpTo(text.size());
    text.resize(kept);
}

}  // namespace

std::string RepairMimeHeaders(std::string_view message) {
    std::string text(message);
    foldEmptyLineBefore(text, "boundary=\"", 4, true);
    joinBrokenBoundary(text);
    foldEmptyLineBefore(text, "charset=\"", 3, false);
    foldBrokenNames(text);
    return text;
}

}  // namespace morvaline
