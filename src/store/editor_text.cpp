#include "store/editor_text.h"

#include <algorithm>
#include <system_error>

#include "platform/atomic_file.h"
#include "store/line_breaker.h"

namespace morvaline {

CComDoc::CComDoc(const EditorSettings& settings) : settings_(settings) {
    paragraphs_.emplace_back();
}

std::int64_t CComDoc::displayLineCount() const {
    const Paragraph& last = paragraphs_.back();
    return last.firstLine + last.lineCount();
}

bool CComDoc::empty() const {
    return paragraphs_.size() == 1 && paragraphs_[0].text.empty();
}

void CComDoc::setText(std::string_view text) {
    paragraphs_.clear();
    paragraphs_.emplace_back();
    for (const char c : text) {
        if (c == '\r') continue;
        if (c == '\n')
            paragraphs_.emplace_back();
        else
            paragraphs_.back().text += c == '\0' ? ' ' : c;
    }
    breakAll();
    modified_ = true;
}

bool CComDoc::insertParagraph(std::size_t index, std::string_view text) {
    if (displayLineCount() > kMaxDisplayLines) return false;
    index = std::min(index, paragraphs_.size());
    paragraphs_.insert(paragraphs_.begin() + static_cast<std::ptrdiff_t>(index),
                       Paragraph{std::string(text), {}, 0});
    breakParagraph(index);
    renumberFrom(index);
    modified_ = true;
    return true;
}

void CComDoc::setParagraphText(std::size_t index, std::string_view text) {
    if (index >= paragraphs_.size()) return;
    paragraphs_[index].text = text;
    breakParagraph(index);
    renumberFrom(index);
    modified_ = true;
}

void CComDoc::joinWithNext(std::size_t index) {
    if (index + 1 >= paragraphs_.size()) return;
    paragraphs_[index].text += paragraphs_[index + 1].text;
    paragraphs_.erase(paragraphs_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    breakParagraph(index);
    renumberFrom(index);
    modified_ = true;
}

void CComDoc::breakAll() {
    for (std::size_t i = 0; i < paragraphs_.size(); ++i) breakParagraph(i);
    renumberFrom(0);
}

void CComDoc::breakParagraph(std::size_t index) {
    Paragraph& p = paragraphs_[index];
    p.breaks = morvaline::breakParagraph(p.text, settings_);
}

void CComDoc::renumberFrom(std::size_t index) {
    std::int64_t line =
        index == 0 ? 0 : paragraphs_[index - 1].firstLine + paragraphs_[index - 1].lineCount();
    for (std::size_t i = index; i < paragraphs_.size(); ++i) {
        paragraphs_[i].firstLine = line;
        line += paragraphs_[i].lineCount();
    }
}

CComDoc::Position CComDoc::positionAt(std::int64_t displayLine, int column) const {
    displayLine = std::clamp<std::int64_t>(displayLine, 0, displayLineCount() - 1);
    // The last paragraph whose first display line is not after the wanted one.
    const auto it =
        std::upper_bound(paragraphs_.begin(), paragraphs_.end(), displayLine,
                         [](std::int64_t line, const Paragraph& p) { return line < p.firstLine; });
    const std::size_t index = static_cast<std::size_t>(it - paragraphs_.begin()) - 1;
    const Paragraph& p = paragraphs_[index];
    const auto within = static_cast<std::size_t>(displayLine - p.firstLine);
    const std::size_t start = within == 0 ? 0 : p.breaks[within - 1];
    const std::size_t end = within < p.breaks.size() ? p.breaks[within] : p.text.size();
    return {index, offsetAtColumn(p.text, start, end, std::max(column, 0), settings_.tabWidth)};
}

bool CComDoc::load(const std::filesystem::path& file, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && !ec) {
        setText({});
        modified_ = false;
        return true;
    }
    std::string bytes;
    if (ec || !readWholeFile(file, bytes)) {
        *error = "cannot read " + file.string();
        return false;
    }
    setText(bytes);
    modified_ = false;
    return true;
}

std::string CComDoc::text() const {
    std::string out;
    for (std::size_t i = 0; i < paragraphs_.size(); ++i) {
        if (i > 0) out += '\n';
        out += paragraphs_[i].text;
    }
    return out;
}

bool CComDoc::save(const std::filesystem::path& file, std::string* error) {
    if (empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        if (ec) {
            *error = "cannot delete " + file.string() + ": " + ec.message();
            return false;
        }
    } else if (!writeFileAtomically(file, text(), error)) {
        return false;
    }
    modified_ = false;
    return true;
}

std::string CComDoc::copy(Position from, Position to, bool quote) const {
    auto clamp = [this](Position p) {
        p.paragraph = std::min(p.paragraph, paragraphs_.size() - 1);
        p.offset = std::min(p.offset, paragraphs_[p.paragraph].text.size());
        return p;
    };
    from = clamp(from);
    to = clamp(to);
    if (to.paragraph < from.paragraph ||
        (to.paragraph == from.paragraph && to.offset < from.offset))
        std::swap(from, to);
    const std::string_view mark =
        quote ? std::string_view(settings_.quoteMark) : std::string_view();
    const std::string_view first = paragraphs_[from.paragraph].text;
    if (from.paragraph == to.paragraph)
        return std::string(mark) + std::string(first.substr(from.offset, to.offset - from.offset));

    std::string out;
    out.reserve(first.size() + 2 + mark.size());
    out += mark;
    out += first.substr(from.offset);
    out += "\r\n";
    for (std::size_t i = from.paragraph + 1; i < to.paragraph; ++i) {
        out += mark;
        out += paragraphs_[i].text;
        out += "\r\n";
    }
    const std::string_view last = paragraphs_[to.paragraph].text;
    if (!last.empty()) {
        out += mark;
        out += last.substr(0, to.offset);
    }
    return out;
}

}  // namespace morvaline
