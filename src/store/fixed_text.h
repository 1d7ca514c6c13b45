#pragma once
// A text field of fixed capacity (N bytes including the terminator of the stored form):
// assignments are cut to N - 1 bytes without splitting a double-byte character.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/sjis.h"

namespace morvaline {

template <std::size_t N>
class FixedText {
    static_assert(N >= 2 && N <= 256);

public:
    FixedText() = default;
    FixedText(std::string_view s) { assign(s); }  // NOLINT: implicit on purpose
    FixedText& operator=(std::string_view s) {
        assign(s);
        return *this;
    }
    void assign(std::string_view s) {
        length_ = static_cast<std::uint8_t>(sjisCutLength(s, N - 1));
        if (length_ > 0) std::memcpy(data_, s.data(), length_);
    }
    std::string_view view() const { return {data_, length_}; }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    static constexpr std::size_t capacity() { return N - 1; }
    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }

private:
    char data_[N - 1];  // bytes beyond length_ are never read
    std::uint8_t length_ = 0;
};

}  // namespace morvaline
