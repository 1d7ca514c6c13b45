#pragma once
// The backups of a user's document: "<ID>.BK1" (the newest) to "<ID>.BK3", rotated by
// every save. When the document is damaged or gone, the newest backup that loads is
// offered, and restoring puts it in place while the damaged document is kept.

#include <filesystem>

#include "platform/file_time.h"

namespace morvaline {

struct DocumentBackup {
    int number = 0;  // 1 ... 3
    std::filesystem::path path;
    FileTime saved = 0;  // the save time written in it
};

struct RestoreResult {
    enum class Status {
        Restored,
        InUse,          // the data set is open in another program
        NoBackup,       // no backup (or not the one asked for) loads with the password
        WriteFailed,    // the document could not be replaced; it is as it was
    };
    Status status = Status::NoBackup;
    DocumentBackup backup;        // the backup put in place
    std::filesystem::path kept;   // where the document it replaced was kept; empty when none
};

}  // namespace morvaline
