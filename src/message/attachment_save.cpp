#include "message/attachment_save.h"

#include "message/attachment_name.h"
#include "platform/atomic_file.h"

namespace morvaline {
namespace {

constexpr int kMaxCopies = 999;

// The first "stem (n)ext" in folder that does not exist yet; empty when all are taken.
std::filesystem::path freePath(const std::filesystem::path& folder, const std::string& fileName) {
    std::filesystem::path path = folder / fileName;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return path;
    const std::size_t dot = fileName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
    const std::string extension = hasExtension ? fileName.substr(dot) : std::string();
    for (int n = 2; n <= kMaxCopies; ++n) {
        path = folder / (stem + " (" + std::to_string(n) + ")" + extension);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return path;
    }
    return {};
}

}  // namespace

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
        result.path = freePath(folder, fileName);
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
