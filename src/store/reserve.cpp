#include "store/reserve.h"

#include "store/archive.h"
#include "store/record_groups.h"

namespace morvaline {

void CReserve::serialize(ArchiveWriter& ar) const {
    writeStringGroup(ar, {name});
    writeIntGroup(ar, {picture, priority, actionFlags, id});
    ar.writeInt32(0);
}

void CReserve::deserialize(ArchiveReader& ar) {
    readStringGroup(ar, {&name});
    readIntGroup(ar, {&picture, &priority, &actionFlags, &id});
    ar.readInt32();
}

int CReserveArray::add(std::string_view name, int picture, int priority, int actionFlags) {
    lastId_ = nextListId(lastId_);
    entries_.push_back({std::string(name), picture, priority, actionFlags, lastId_});
    return lastId_;
}

const CReserve* CReserveArray::find(int id) const {
    const int index = indexOf(id);
    return index >= 0 ? &entries_[static_cast<std::size_t>(index)] : nullptr;
}

int CReserveArray::indexOf(int id) const {
    if (id == 0 || id == -1) return -1;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id) return static_cast<int>(i);
    return -1;
}

int CReserveArray::idAfter(int id) const {
    const int index = indexOf(id);
    return index >= 0 ? idAt(index + 1) : 0;
}

int CReserveArray::idAt(int index) const {
    return index >= 0 && index < static_cast<int>(entries_.size())
               ? entries_[static_cast<std::size_t>(index)].id
               : 0;
}

bool CReserveArray::remove(int id) {
    const int index = indexOf(id);
    if (index < 0) return false;
    entries_.erase(entries_.begin() + index);
    return true;
}

void CReserveArray::clear() { entries_.clear(); }

void CReserveArray::serialize(ArchiveWriter& ar) const {
    writeObjectArray(ar, "CReserve", entries_);
    ar.writeInt32(lastId_);
    ar.writeInt32(0);
}

void CReserveArray::deserialize(ArchiveReader& ar) {
    readObjectArray(ar, "CReserve", entries_);
    lastId_ = ar.readInt32();
    ar.readInt32();
}

void CRsrvPat::serialize(ArchiveWriter& ar) const {
    ar.writeInt32(1);
    ar.writeString(name);
    ar.writeCount(entries.size());
    for (const CRsrvInfo& info : entries) {
        ar.writeObjectTag("CRsrvInfo", 1);
        ar.writeInt32(info.serial);
        ar.writeInt32(info.reserve);
    }
}

void CRsrvPat::deserialize(ArchiveReader& ar) {
    ar.readInt32();
    name = ar.readString();
    entries.clear();
    const std::size_t count = ar.readBoundedCount(10);
    for (std::size_t i = 0; i < count; ++i) {
        ar.readObjectTag("CRsrvInfo");
        CRsrvInfo info;
        info.serial = ar.readInt32();
        info.reserve = ar.readInt32();
        entries.push_back(info);
    }
}

}  // namespace morvaline
