#include "store/delete_rule.h"

#include "platform/text_codec.h"
#include "store/record_groups.h"
#include "store/reserve.h"

namespace morvaline {

void CDelete::serialize(ArchiveWriter& ar) const {
    writeStringGroup(ar, {name});
    writeIntGroup(ar, {picture, days, flags, id, spareMarked, spareComments});
    ar.writeInt32(0);
}

void CDelete::deserialize(ArchiveReader& ar) {
    readStringGroup(ar, {&name});
    readIntGroup(ar, {&picture, &days, &flags, &id, &spareMarked, &spareComments});
    ar.readInt32();
}

int CDeleteArray::add(std::string_view name, int picture, int days, int flags) {
    lastId_ = nextListId(lastId_);
    rules_.push_back({std::string(name), picture, days, flags, lastId_, 0, 0});
    return lastId_;
}

const CDelete* CDeleteArray::find(int id) const {
    for (const CDelete& rule : rules_)
        if (rule.id == id) return &rule;
    return nullptr;
}

void CDeleteArray::addDefaults() {
    add(sj("14日後削除"), 0, 14, 0);
    add(sj("30日後削除"), 1, 30, 0);
    add(sj("90日後削除"), 2, 90, 0);
}

void CDeleteArray::serialize(ArchiveWriter& ar) const {
    writeObjectArray(ar, "CDelete", rules_);
    ar.writeInt32(lastId_);
    ar.writeInt32(0);
}

void CDeleteArray::deserialize(ArchiveReader& ar) {
    readObjectArray(ar, "CDelete", rules_);
    lastId_ = ar.readInt32();
    ar.readInt32();
}

}  // namespace morvaline
