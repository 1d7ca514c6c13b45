#pragma once
// The binary archive form of the document and the message lists: little-endian integers,
// archive strings (a length of one byte, or 0xFF and 16 bits, or 0xFF, 0xFFFF and 32 bits,
// then the bytes), counts (16 bits, or 0xFFFF and 32 bits), and object tags: the first
// object of a class carries the new-class tag 0xFFFF, its schema and its name; later ones
// refer to the class by 0x8000 | index. Class and object indices share one counter that
// starts at 1, as the stored files expect.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

// A damaged or truncated archive.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArchiveWriter {
public:
    void writeUInt8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void writeUInt16(std::uint16_t v);
    void writeUInt32(std::uint32_t v);
    void writeInt32(std::int32_t v) { writeUInt32(static_cast<std::uint32_t>(v)); }
    void writeInt64Words(std::int64_t v);  // low word, then high word
    void writeBytes(std::string_view bytes) { out_.append(bytes); }
    void writeString(std::string_view s);
    void writeCount(std::size_t n);
    // Writes the tag of the next object of the class and counts the object.
    void writeObjectTag(std::string_view className, std::uint16_t schema);

    const std::string& bytes() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
    std::map<std::string, std::uint32_t, std::less<>> classIndex_;
    std::uint32_t mapCount_ = 1;
};

class ArchiveReader {
public:
    explicit ArchiveReader(std::string_view data) : data_(data) {}

    std::uint8_t readUInt8();
    std::uint16_t readUInt16();
    std::uint32_t readUInt32() {
        need(4);
        const std::uint32_t value = littleEndian32(data_.data() + pos_);
        pos_ += 4;
        return value;
    }
    std::int32_t readInt32() { return static_cast<std::int32_t>(readUInt32()); }
    // n values in a row, with one bounds check (a record's integers).
    void readInt32s(std::int32_t* values, std::size_t n) {
        need(4 * n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = static_cast<std::int32_t>(littleEndian32(data_.data() + pos_ + 4 * i));
        pos_ += 4 * n;
    }
    std::int64_t readInt64Words();
    std::string readBytes(std::size_t n);
    std::string readString() { return std::string(readStringView()); }
    // The string's bytes inside the archive's data (valid while the data lives).
    std::string_view readStringView();
    void skipString() { readStringView(); }
    std::size_t readCount();
    // A count of entries that take at least minBytesEach bytes: refused when the rest of the
    // archive could not hold them (a damaged count must not cause a huge allocation).
    std::size_t readBoundedCount(std::size_t minBytesEach);
    std::int32_t readBoundedInt32Count(std::size_t minBytesEach);
    // Reads the tag of the next object, which must be of the given class.
    void readObjectTag(std::string_view className);

    std::size_t remaining() const { return data_.size() - pos_; }
    std::size_t position() const { return pos_; }

private:
    static std::uint32_t littleEndian32(const char* bytes) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes);
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    void need(std::size_t n) const {
        if (n > data_.size() - pos_) fail();
    }
    [[noreturn]] static void fail();

    std::string_view data_;
    std::size_t pos_ = 0;
    std::map<std::uint32_t, std::string> classes_;  // class index -> class name
    std::uint32_t mapCount_ = 1;                     // classes and objects read so far + 1
};

}  // namespace morvaline
