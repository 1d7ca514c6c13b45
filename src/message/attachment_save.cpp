#include "message/attachment_save.h"

#include "message/attachment_name.h"
#include "platform/atomic_file.h"

namespace morvaline {

SaveResult SaveAttachment(const std::filesystem::path& folder, const Attachment& attachment,
                          ExistingFile existing) {
    SaveResult result;
    const std::string fileName = LocalAttachmentFileName(attachment.name);
    result.path = folder / fileName;
    const auto bytes = DecodeAttachment(attachment);
    if (!bytes) {
        result.status = SaveStatus::DecodeFailed;
        return result;
    }
    if (existing == ExistingFile::Keep) {
        result.path = freeFileName(folder, fileName);
        if (result.path.empty()) {
            result.path = folder / fileName;
            result.error = "no free name for " + result.path.string();
            return result;
        }
    }
    std::string error;
    if (!writeFileAtomically(result.path, *bytes, &error)) {
        result.error = error;
        return result;
    }
    result.status = SaveStatus::Saved;
    return result;
}

}  // namespace morvaline
