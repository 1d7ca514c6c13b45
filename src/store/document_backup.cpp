// The backups of a user's document, offered and restored when the document is damaged.

#include <system_error>

#include "platform/atomic_file.h"
#include "store/document.h"

namespace morvaline {

std::vector<DocumentBackup> CTolDoc::loadableBackups(const OpenRequest& request, Registry& registry) {
    std::vector<DocumentBackup> backups;
    const auto folder = request.baseDirectory / request.userId;
    for (int n = 1; n <= 3; ++n) {
        const auto path = folder / (request.userId + ".BK" + std::to_string(n));
        std::string bytes;
        if (!readWholeFile(path, bytes)) continue;
        const OpenResult read = readDocumentBytes(bytes, registry);
        if (!read.doc || read.doc->password_ != request.password) continue;
        backups.push_back({n, path, read.doc->time(doctime::kSaved)});
    }
    return backups;
}

RestoreResult CTolDoc::restoreBackup(const OpenRequest& request, Registry& registry, int number) {
    RestoreResult result;
    const auto folder = request.baseDirectory / request.userId;
    LockFile lock;
    switch (lock.acquire(folder)) {
        case LockFile::Result::Acquired:
            break;
        case LockFile::Result::Held:
            result.status = RestoreResult::Status::InUse;
            return result;
        case LockFile::Result::Failed:
            return result;  // no data folder: no backup
    }
    for (const DocumentBackup& backup : loadableBackups(request, registry)) {
        if (number != 0 && backup.number != number) continue;
        std::string bytes;
        if (!readWholeFile(backup.path, bytes)) break;
        result.status = RestoreResult::Status::WriteFailed;
        result.backup = backup;
        // The document it replaces stays, under a name of its own.
        const auto document = folder / (request.userId + ".KVR");
        std::error_code ec;
        if (std::filesystem::exists(document, ec)) {
            result.kept = freeFileName(folder, request.userId + ".KVR.damaged");
            if (result.kept.empty()) return result;
            std::filesystem::rename(document, result.kept, ec);
            if (ec) {
                result.kept.clear();
                return result;
            }
        }
        if (!writeFileAtomically(document, bytes)) {
            // Nothing is lost: the kept document goes back where it was.
            if (!result.kept.empty()) std::filesystem::rename(result.kept, document, ec);
            result.kept.clear();
            return result;
        }
        result.status = RestoreResult::Status::Restored;
        return result;
    }
    return result;
}

}  // namespace morvaline
