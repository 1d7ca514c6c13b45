#pragma once
// The terminal's screen lines: the received text as lines of 80 bytes in a ring of N
// lines (the scroll-back), written by the receive filter one byte at a time. Line 0 is
// the oldest; a new line is always blank (NUL bytes).
//
// The cursor has a column, which decides where lines wrap and what HT and BS do, and a
// separate write offset inside the current line. The two differ after a bare LF: writing
// goes on at the start of the new line while the column keeps counting from where it was
// (so that line wraps early, as the host's screen does). Every write stays inside the
// current line whatever the column says.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace morvaline {

class ScreenLines {
public:
    static constexpr int kWidth = 80;
    static constexpr int kDefaultLines = 3000;

    explicit ScreenLines(int lines = kDefaultLines);
    ScreenLines(const ScreenLines&) = delete;
    ScreenLines& operator=(const ScreenLines&) = delete;

    // --- Writing (the receive filter) ---
    // A single-byte character at the cursor.
    void putByte(std::uint8_t byte) { store(static_cast<char>(byte)); }
    // A double-byte character; it never splits across lines.
    void putPair(std::uint8_t lead, std::uint8_t trail) {
        if (column_ > kWidth - 2) wrap();
        line_[offset_++] = static_cast<char>(lead);
        ++column_;
        store(static_cast<char>(trail));
    }
    // Writes the characters of text and its control bytes HT, LF, CR and BS (BS only when
    // the column is above 0), up to the first other control byte or BS in column 0, or up
    // to a lead byte that ends text (its partner has not arrived). A lead byte followed by
    // a control byte is written alone. Returns the bytes written, which are exactly the
    // first bytes of text.
    std::size_t putText(std::string_view text);
    // BS: when the column is above 0, back one column, blanking the character there.
    void backspace();
    // HT: blanks up to the next multiple of 8 below 80; nothing from column 72 on.
    void tab();
    // LF: a new line; the column keeps its value.
    void lineFeed();
    // CR: column 0.
    void carriageReturn();

    // --- Reading (the views) ---
    int capacity() const { return capacity_; }
    // Lines in use: the cursor's row + 1.
    int lineCount() const { return row_ + 1; }
    // Line k, 0 = oldest, as 80 bytes (NUL where nothing was written).
    std::string_view line(int k) const;
    int row() const { return row_; }
    int column() const { return column_; }
    // Lines added and lines scrolled out of the ring since the last call.
    struct Changes {
        int newLines = 0;
        int scrolledLines = 0;
    };
    Changes takeChanges();

    // --- Settings ---
    // Keeps the newest lines in a ring of the new size.
    void resize(int lines);
    // Blanks everything; the cursor goes to the top left.
    void clear();

private:
    // Stores at the write offset and advances; passing the last column starts a new line.
    void store(char byte) {
        line_[offset_++] = byte;
        if (++column_ > kWidth - 1 || offset_ > kWidth - 1) wrap();
    }
    // HT, LF, CR and BS (when the column is above 0); false for any other byte.
    bool putControl(std::uint8_t byte);
    void wrap() {
        newLine();
        column_ = 0;
    }
    char* lineAt(int row);
    void newLine();

    int capacity_;
    std::vector<char> store_;
    int top_ = 0;     // ring index of the oldest line
    int row_ = 0;     // cursor row relative to the oldest line
    int column_ = 0;  // 0 ... 79
    int offset_ = 0;  // write position inside the current line, never above column_
    char* line_;      // the current line in store_
    Changes changes_;
};

}  // namespace morvaline
