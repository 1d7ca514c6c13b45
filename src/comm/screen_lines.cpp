#include "comm/screen_lines.h"

#include <endian.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/sjis.h"

namespace morvaline {

ScreenLines::ScreenLines(int lines)
    : capacity_(std::max(1, lines)), store_(static_cast<std::size_t>(capacity_) * kWidth, '\0') {
    line_ = lineAt(0);
}

char* ScreenLines::lineAt(int row) {
    const int index = (top_ + row) % capacity_;
    return store_.data() + static_cast<std::size_t>(index) * kWidth;
}

std::string_view ScreenLines::line(int k) const {
    const int index = (top_ + k) % capacity_;
    return {store_.data() + static_cast<std::size_t>(index) * kWidth, kWidth};
}

void ScreenLines::newLine() {
    if (row_ + 1 < capacity_) {
        ++row_;
        ++changes_.newLines;
    } else {
        top_ = top_ + 1 == capacity_ ? 0 : top_ + 1;
        ++changes_.scrolledLines;
    }
    // Either way the current line is the next one in the ring.
    line_ += kWidth;
    if (line_ == store_.data() + store_.size()) line_ = store_.data();
    std::memset(line_, 0, kWidth);
    offset_ = 0;
}

namespace {

// The first byte below 0x20 in [p, end), or end; eight bytes a step.
const std::uint8_t* firstControl(const std::uint8_t* p, const std::uint8_t* end) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        // The high bit of each byte below 0x20; a borrow can mark a byte after such a one
        // too, never one before it, so the lowest mark is the first control byte (the
        // bytes are read in little-endian order).
        const std::uint64_t marks = (le64toh(word) - kOnes * 0x20) & ~le64toh(word) & kHigh;
        if (marks) return p + std::countr_zero(marks) / 8;
        p += 8;
    }
    while (p < end && *p >= 0x20) ++p;
    return p;
}

// Whether [begin, end), which holds no control byte and starts at a character, ends with
// a lead byte whose partner lies beyond it. Bytes that are no lead byte end a character
// (alone or as a partner), so only the run of lead-byte values before end needs counting:
// they pair up from its start, and an odd run leaves the last one open.
bool endsInsideCharacter(const std::uint8_t* begin, const std::uint8_t* end) {
    const std::uint8_t* p = end;
    while (p > begin && isSjisLeadByte(p[-1])) --p;
    return (end - p) % 2 == 1;
}

}  // namespace

// Characters that leave the column below the last one cannot wrap: those go in as one
// copy. The last columns of a line, where the wrap rules apply, go one at a time.
std::size_t ScreenLines::putText(std::string_view text) {
    const auto* const begin = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    while (p < end) {
        const auto* const limit =
            p + std::min<std::ptrdiff_t>(end - p, std::max(0, kWidth - 2 - column_));
        // The stretch ends at a control byte, and before a double-byte character that
        // does not end inside it (its second byte is a control byte or lies beyond).
        const auto* q = firstControl(p, limit);
        if (q > p && endsInsideCharacter(p, q)) --q;
        if (q > p) {
            const auto count = static_cast<int>(q - p);
            std::memcpy(line_ + offset_, p, static_cast<std::size_t>(count));
            offset_ += count;
            column_ += count;
            p = q;
            continue;
        }
        const std::uint8_t byte = *p;
        if (byte < 0x20) {
            if (!putControl(byte)) break;
        } else if (!isSjisLeadByte(byte)) {
            putByte(byte);
        } else if (p + 1 == end) {
            break;
        } else if (p[1] >= 0x20) {
            putPair(byte, p[1]);
            ++p;
        } else {
            putByte(byte);  // a control byte cannot end a character: it is read on its own
        }
        ++p;
    }
    return static_cast<std::size_t>(p - begin);
}

bool ScreenLines::putControl(std::uint8_t byte) {
    switch (byte) {
        case 0x08:  // BS
            if (column_ == 0) return false;
            backspace();
            return true;
        case 0x09:  // HT
            tab();
            return true;
        case 0x0A:  // LF
            lineFeed();
            return true;
        case 0x0D:  // CR
            carriageReturn();
            return true;
        default:
            return false;
    }
}

void ScreenLines::backspace() {
    if (column_ == 0) return;
    --column_;
    if (offset_ > 0) {
        --offset_;
        line_[offset_] = ' ';
    }
}

void ScreenLines::tab() {
    const int next = (column_ / 8 + 1) * 8;
    if (next >= kWidth) return;
    while (column_ < next) {
        line_[offset_] = ' ';
        ++offset_;
        ++column_;
    }
}

void ScreenLines::lineFeed() {
    newLine();
}

void ScreenLines::carriageReturn() {
    column_ = 0;
    offset_ = 0;
}

ScreenLines::Changes ScreenLines::takeChanges() {
    const Changes changes = changes_;
    changes_ = {};
    return changes;
}

void ScreenLines::resize(int lines) {
    lines = std::max(1, lines);
    const int kept = std::min(lines, row_ + 1);
    std::vector<char> resized(static_cast<std::size_t>(lines) * kWidth, '\0');
    const int firstKept = row_ + 1 - kept;
    for (int k = 0; k < kept; ++k)
        std::memcpy(resized.data() + static_cast<std::size_t>(k) * kWidth,
                    line(firstKept + k).data(), kWidth);
    store_ = std::move(resized);
    capacity_ = lines;
    top_ = 0;
    row_ = kept - 1;
    line_ = lineAt(row_);
}

void ScreenLines::clear() {
    std::fill(store_.begin(), store_.end(), '\0');
    top_ = row_ = column_ = offset_ = 0;
    line_ = lineAt(0);
    changes_ = {};
}

}  // namespace morvaline
