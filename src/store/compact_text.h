#pragma once
// A text that costs one pointer when empty: the long texts of items (sender address, host
// path, spare text) are empty or short in most of the many items of a message list.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace morvaline {

class CompactText {
public:
    CompactText() = default;
    CompactText(std::string_view s) { assign(s); }  // NOLINT: implicit on purpose
    CompactText(const CompactText& other) { assign(other.view()); }
    CompactText(CompactText&&) noexcept = default;
    CompactText& operator=(const CompactText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    CompactText& operator=(CompactText&&) noexcept = default;
    CompactText& operator=(std::string_view s) {
        assign(s);
        return *this;
    }

    void assign(std::string_view s) {
        if (s.empty()) {
            data_.reset();
            return;
        }
        data_.reset(new char[sizeof(std::uint32_t) + s.size()]);
        const auto size = static_cast<std::uint32_t>(s.size());
        std::memcpy(data_.get(), &size, sizeof size);
        std::memcpy(data_.get() + sizeof size, s.data(), s.size());
    }
    void clear() { data_.reset(); }
    std::size_t size() const {
        if (!data_) return 0;
        std::uint32_t size;
        std::memcpy(&size, data_.get(), sizeof size);
        return size;
    }
    bool empty() const { return !data_; }
    std::string_view view() const {
        return data_ ? std::string_view(data_.get() + sizeof(std::uint32_t), size()) : std::string_view();
    }
    operator std::string_view() const { return view(); }  // NOLINT: implicit on purpose
    std::string str() const { return std::string(view()); }
    friend bool operator==(const CompactText& a, const CompactText& b) { return a.view() == b.view(); }
    friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }

private:
    std::unique_ptr<char[]> data_;
};

}  // namespace morvaline
