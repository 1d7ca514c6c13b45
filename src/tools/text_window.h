#pragma once
// Reads the stored texts of one message list in large pieces. Texts lie in their text file
// one after another in the order they were stored, so one read of a few megabytes serves
// the many items that follow, where a read per item would open the file each time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

class CItemArray;

class TextWindow {
public:
    static constexpr std::int64_t kPiece = 4 << 20;

    explicit TextWindow(CItemArray& list) : list_(list) {}

    // The bytes [offset, offset + length) as far as the text file holds them (an offset or
    // length reaching past its end gives what is there); nothing when the file cannot be
    // read or the extent is negative. Valid until the next call.
    std::optional<std::string_view> text(std::int64_t offset, std::int64_t length);

private:
    CItemArray& list_;
    std::string piece_;
    std::int64_t start_ = 0;
    bool atEnd_ = false;  // the piece reaches the end of the file
    bool loaded_ = false;
};

}  // namespace morvaline
