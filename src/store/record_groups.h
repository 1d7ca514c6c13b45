#pragma once
// Counted groups of the stored records: a count, then that many values. A reader takes the
// values it knows, skips further ones, and leaves the fields that an older record lacks at
// their defaults.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/archive.h"

namespace morvaline {

void writeIntGroup(ArchiveWriter& ar, std::initializer_list<std::int32_t> values);
void readIntGroup(ArchiveReader& ar, std::initializer_list<std::int32_t*> fields);
void writeStringGroup(ArchiveWriter& ar, std::initializer_list<std::string_view> values);
void readStringGroup(ArchiveReader& ar, std::initializer_list<std::string*> fields);

// An array of records in the object-archive form: a count, then per record its object tag
// (class name, schema 1) and its own serialize.
template <typename Record>
void writeObjectArray(ArchiveWriter& ar, std::string_view className,
                      const std::vector<Record>& records) {
    ar.writeCount(records.size());
    for (const Record& r : records) {
        ar.writeObjectTag(className, 1);
        r.serialize(ar);
    }
}

template <typename Record>
void readObjectArray(ArchiveReader& ar, std::string_view className, std::vector<Record>& records) {
    records.clear();
    // Every record takes at least its tag and a version or count word.
    const std::size_t count = ar.readBoundedCount(6);
    for (std::size_t i = 0; i < count; ++i) {
        ar.readObjectTag(className);
        Record r;
        r.deserialize(ar);
        records.push_back(std::move(r));
    }
}

}  // namespace morvaline
