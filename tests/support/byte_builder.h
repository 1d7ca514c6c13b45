#pragma once
// Builds byte fixtures by hand, field by field, independently of the archive writer.

#include <cstdint>
#include <string>
#include <string_view>

namespace morvaline::test {

class ByteBuilder {
public:
    ByteBuilder& u8(std::uint8_t v) {
        bytes_.push_back(static_cast<char>(v));
        return *this;
    }
    ByteBuilder& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    ByteBuilder& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    ByteBuilder& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    ByteBuilder& i64(std::int64_t v) {
        return u32(static_cast<std::uint32_t>(v)).u32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) >> 32));
    }
    ByteBuilder& raw(std::string_view s) {
        bytes_.append(s);
        return *this;
    }
    // An archive string with a one-byte length (texts shorter than 255 bytes).
    ByteBuilder& str(std::string_view s) { return u8(static_cast<std::uint8_t>(s.size())).raw(s); }
    // The tag of the first object of a class: 0xFFFF, schema 1, name length, name.
    ByteBuilder& newClass(std::string_view name) {
        return u16(0xFFFF).u16(1).u16(static_cast<std::uint16_t>(name.size())).raw(name);
    }
    ByteBuilder& classRef(std::uint16_t index) { return u16(static_cast<std::uint16_t>(0x8000 | index)); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace morvaline::test
