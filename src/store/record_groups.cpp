#include "store/record_groups.h"

namespace morvaline {

void writeIntGroup(ArchiveWriter& ar, std::initializer_list<std::int32_t> values) {
    ar.writeInt32(static_cast<std::int32_t>(values.size()));
    for (const std::int32_t v : values) ar.writeInt32(v);
}

void readIntGroup(ArchiveReader& ar, std::initializer_list<std::int32_t*> fields) {
    const std::int32_t count = ar.readBoundedInt32Count(4);
    auto field = fields.begin();
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t v = ar.readInt32();
        if (field != fields.end()) **field++ = v;
    }
}

void writeStringGroup(ArchiveWriter& ar, std::initializer_list<std::string_view> values) {
    ar.writeInt32(static_cast<std::int32_t>(values.size()));
    for (const std::string_view v : values) ar.writeString(v);
}

void readStringGroup(ArchiveReader& ar, std::initializer_list<std::string*> fields) {
    const std::int32_t count = ar.readBoundedInt32Count(1);
    auto field = fields.begin();
    for (std::int32_t i = 0; i < count; ++i) {
        std::string v = ar.readString();
        if (field != fields.end()) **field++ = std::move(v);
    }
}

}  // namespace morvaline
