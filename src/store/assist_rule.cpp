#include "store/assist_rule.h"

#include "store/record_groups.h"

namespace morvaline {

void CAssist::serialize(ArchiveWriter& ar) const {
    ar.writeInt32(1);
    writeIntGroup(ar, {kindMask, folder, enabled});
    writeStringGroup(ar, {id, name, subject, replyTo});
    ar.writeInt32(0);
}

void CAssist::deserialize(ArchiveReader& ar) {
    ar.readInt32();
    readIntGroup(ar, {&kindMask, &folder, &enabled});
    readStringGroup(ar, {&id, &name, &subject, &replyTo});
    ar.readInt32();
}

void CAssistSend::serialize(ArchiveWriter& ar) const {
    ar.writeInt32(1);
    writeIntGroup(ar, {kindMask, folder, enabled, source});
    writeStringGroup(ar, {recipient, subject});
    ar.writeInt32(0);
}

void CAssistSend::deserialize(ArchiveReader& ar) {
    ar.readInt32();
    readIntGroup(ar, {&kindMask, &folder, &enabled, &source});
    readStringGroup(ar, {&recipient, &subject});
    ar.readInt32();
}

}  // namespace morvaline
