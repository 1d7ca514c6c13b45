#include "store/archive.h"

namespace morvaline {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFE;

}  // namespace

void ArchiveWriter::writeUInt16(std::uint16_t v) {
    writeUInt8(static_cast<std::uint8_t>(v));
    writeUInt8(static_cast<std::uint8_t>(v >> 8));
}

void ArchiveWriter::writeUInt32(std::uint32_t v) {
    writeUInt16(static_cast<std::uint16_t>(v));
    writeUInt16(static_cast<std::uint16_t>(v >> 16));
}

void ArchiveWriter::writeInt64Words(std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    writeUInt32(static_cast<std::uint32_t>(u));
    writeUInt32(static_cast<std::uint32_t>(u >> 32));
}

void ArchiveWriter::writeString(std::string_view s) {
    if (s.size() < 0xFF) {
        writeUInt8(static_cast<std::uint8_t>(s.size()));
    } else if (s.size() < 0xFFFE) {
        writeUInt8(0xFF);
        writeUInt16(static_cast<std::uint16_t>(s.size()));
    } else {
        writeUInt8(0xFF);
        writeUInt16(0xFFFF);
        writeUInt32(static_cast<std::uint32_t>(s.size()));
    }
    writeBytes(s);
}

void ArchiveWriter::writeCount(std::size_t n) {
    if (n < 0xFFFF) {
        writeUInt16(static_cast<std::uint16_t>(n));
    } else {
        writeUInt16(0xFFFF);
        writeUInt32(static_cast<std::uint32_t>(n));
    }
}

void ArchiveWriter::writeObjectTag(std::string_view className, std::uint16_t schema) {
    const auto it = classIndex_.find(className);
    if (it == classIndex_.end()) {
        writeUInt16(kNewClassTag);
        writeUInt16(schema);
        writeUInt16(static_cast<std::uint16_t>(className.size()));
        writeBytes(className);
        classIndex_.emplace(std::string(className), mapCount_++);
    } else if (it->second < kBigObjectTag) {
        writeUInt16(static_cast<std::uint16_t>(kClassTag | it->second));
    } else {
        writeUInt16(kBigObjectTag);
        writeUInt32(kBigClassTag | it->second);
    }
    ++mapCount_;  // the object itself
}

void ArchiveReader::fail() { throw ArchiveError("unexpected end of archive"); }

std::uint8_t ArchiveReader::readUInt8() {
    need(1);
    return static_cast<std::uint8_t>(data_[pos_++]);
}

std::uint16_t ArchiveReader::readUInt16() {
    need(2);
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    pos_ += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::int64_t ArchiveReader::readInt64Words() {
    const std::uint64_t lo = readUInt32();
    return static_cast<std::int64_t>(lo | (static_cast<std::uint64_t>(readUInt32()) << 32));
}

std::string ArchiveReader::readBytes(std::size_t n) {
    need(n);
    std::string s(data_.substr(pos_, n));
    pos_ += n;
    return s;
}

std::string_view ArchiveReader::readStringView() {
    std::size_t len = readUInt8();
    if (len == 0xFF) {
        len = readUInt16();
        if (len == 0xFFFE) throw ArchiveError("wide string in archive");
        if (len == 0xFFFF) len = readUInt32();
    }
    need(len);
    const std::string_view s = data_.substr(pos_, len);
    pos_ += len;
    return s;
}

std::size_t ArchiveReader::readCount() {
    const std::uint16_t n = readUInt16();
    return n == 0xFFFF ? readUInt32() : n;
}

std::size_t ArchiveReader::readBoundedCount(std::size_t minBytesEach) {
    const std::size_t n = readCount();
    if (minBytesEach > 0 && n > remaining() / minBytesEach)
        throw ArchiveError("count larger than the archive");
    return n;
}

std::int32_t ArchiveReader::readBoundedInt32Count(std::size_t minBytesEach) {
    const std::int32_t n = readInt32();
    if (n < 0 || (minBytesEach > 0 && static_cast<std::size_t>(n) > remaining() / minBytesEach))
        throw ArchiveError("count larger than the archive");
    return n;
}

void ArchiveReader::readObjectTag(std::string_view className) {
    const std::uint16_t tag = readUInt16();
    if (tag == kNewClassTag) {
        readUInt16();  // schema: every class of these files has schema 1 and no variants
        const std::uint16_t nameLength = readUInt16();
        const std::string name = readBytes(nameLength);
        if (name != className) throw ArchiveError("unexpected class " + name);
        classes_.emplace(mapCount_++, name);
    } else {
        std::uint32_t classIndex = 0;
        if (tag == kBigObjectTag) {
            const std::uint32_t big = readUInt32();
            if (!(big & kBigClassTag)) throw ArchiveError("object reference in archive");
            classIndex = big & ~kBigClassTag;
        } else if (tag & kClassTag) {
            classIndex = tag & ~kClassTag;
        } else {
            // A null object or a reference to an object read before: neither is ever stored.
            throw ArchiveError("unexpected object reference in archive");
        }
        const auto it = classes_.find(classIndex);
        if (it == classes_.end() || it->second != className)
            throw ArchiveError("bad class reference in archive");
    }
    if (mapCount_ >= kMaxMapCount) throw ArchiveError("too many objects");
    ++mapCount_;  // the object itself
}

}  // namespace morvaline
