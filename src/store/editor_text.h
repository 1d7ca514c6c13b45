#pragma once
// CComDoc: a text being shown or written (a mail, a message, a template), held as
// paragraphs, each broken into display lines by the user's editor settings. The text
// files of items written offline ("~C%06d.MSG", "~T%06d.MSG") are loaded into it and saved
// from it: lines separated by LF alone, no line end after the last.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/editor_settings.h"

namespace morvaline {

class CComDoc {
public:
    // More display lines than this and no paragraph is inserted any more.
    static constexpr std::int64_t kMaxDisplayLines = 536870654;

    struct Paragraph {
        std::string text;                 // one line of the file, without its line end
        std::vector<std::size_t> breaks;  // offsets where the second, third ... display lines begin
        std::int64_t firstLine = 0;       // number of its first display line in the whole text
        std::int64_t lineCount() const { return static_cast<std::int64_t>(breaks.size()) + 1; }
    };

    // A place in the text: a paragraph and a byte offset inside it.
    struct Position {
        std::size_t paragraph = 0;
        std::size_t offset = 0;
    };

    // The settings are the user's, shared by every open text; after they change, breakAll().
    explicit CComDoc(const EditorSettings& settings);

    const std::vector<Paragraph>& paragraphs() const { return paragraphs_; }
    std::int64_t displayLineCount() const;
    bool modified() const { return modified_; }
    // True when the text holds nothing (one empty paragraph).
    bool empty() const;

    // --- Editing: each change breaks the paragraph again and renumbers the rest --------------
    // Replaces the whole text; CR bytes are dropped, LF ends a paragraph, NUL becomes a space.
    void setText(std::string_view text);
    // Inserts a paragraph before index (paragraph count: at the end); false, and nothing
    // inserted, when the text already has more than kMaxDisplayLines display lines.
    bool insertParagraph(std::size_t index, std::string_view text = {});
    void setParagraphText(std::size_t index, std::string_view text);
    // Joins the paragraph with the next one.
    void joinWithNext(std::size_t index);
    void breakAll();

    // The paragraph and byte offset shown at a display line and column (clamped to the text).
    Position positionAt(std::int64_t displayLine, int column) const;

    // --- Files ----------------------------------------------------------------------------
    // Loads a text file; a missing file gives one empty paragraph. False with *error set
    // (and the text unchanged) when the file exists but cannot be read.
    bool load(const std::filesystem::path& file, std::string* error);
    // Saves the text: an empty text deletes the file; otherwise the paragraphs go to a
    // temporary file, joined by LF, which then replaces the old file. False with *error set
    // when it cannot be written; the old file is kept then.
    bool save(const std::filesystem::path& file, std::string* error);
    // The text as save writes it.
    std::string text() const;

    // The text from `from` to `to` (paragraphs joined by CR LF), with the quote mark in front
    // of every line when quoting. The last paragraph adds its first bytes (up to `to`), with
    // the quote mark in front, only when it is not empty.
    std::string copy(Position from, Position to, bool quote) const;

private:
    void breakParagraph(std::size_t index);
    void renumberFrom(std::size_t index);

    const EditorSettings& settings_;
    std::vector<Paragraph> paragraphs_;
    bool modified_ = false;
};

}  // namespace morvaline
