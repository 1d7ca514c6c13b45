#pragma once
// Hand-built item records, field by field as the stored form lays them out.

#include <cstdint>
#include <string>
#include <vector>

#include "support/byte_builder.h"

namespace morvaline::test {

struct ItemRecord {
    std::uint32_t code0 = 0, code1 = 0;
    std::int32_t parent = -1, next = -1, prev = -1, child = -1, number = 0, offset = 0, body = 0,
                 kind = -2, reserve = -1;
    std::uint32_t flags = 0;
    std::int32_t refCount = -1, size = 0, aux = 0, target = 0, generation = 0, serial = 0,
                 extra1 = 0, extra2 = 0, length = 0;
    std::int32_t spare[5] = {};
    std::vector<std::int32_t> moreInts;  // the deletion rule and anything after it
    std::vector<std::string> strings = {"", "", "", "", "", "", ""};
    std::int64_t date = 0, created = 0;

    void appendTo(ByteBuilder& b) const {
        b.i32(1).i32(26 + static_cast<std::int32_t>(moreInts.size()));
        b.u32(code0).u32(code1);
        for (std::int32_t v : {parent, next, prev, child, number, offset, body, kind, reserve}) b.i32(v);
        b.u32(flags);
        for (std::int32_t v : {refCount, size, aux, target, generation, serial, extra1, extra2, length}) b.i32(v);
        for (std::int32_t v : spare) b.i32(v);
        for (std::int32_t v : moreInts) b.i32(v);
        b.i32(static_cast<std::int32_t>(strings.size()));
        for (const std::string& s : strings) b.str(s);
        b.i32(2).i64(date).i64(created);
    }
};

// A list file in the current form made of hand-built item records.
inline std::string listFile(const std::vector<ItemRecord>& items) {
    ByteBuilder b;
    b.u16(static_cast<std::uint16_t>(items.size())).newClass("CItem");
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) b.classRef(1);
        items[i].appendTo(b);
    }
    b.i32(-2).i32(6).i32(6).i32(0).i32(0).i32(-1).i32(300).i32(0).i32(0);
    b.i32(0).i32(1).i64(0).i32(0);
    return b.bytes();
}

}  // namespace morvaline::test
