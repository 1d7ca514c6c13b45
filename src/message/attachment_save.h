#pragma once
// Writing a received attachment to a file in a folder the user chose.

#include "message/attachment.h"

#include <filesystem>
#include <string>

namespace morvaline {

// What happens when the folder already holds a file of the attachment's name.
enum class ExistingFile {
    Replace,  // the new file takes its place (atomically)
    Keep,     // the new file gets a free name: "name (2).ext", "name (3).ext", ...
};

enum class SaveStatus {
    Saved,
    DecodeFailed,  // the data does not decode (damaged block, empty base64)
    WriteFailed,   // the file could not be written; error says why
};

struct SaveResult {
    SaveStatus status = SaveStatus::WriteFailed;
    std::filesystem::path path;  // the file written (or that would have been)
    std::string error;           // for WriteFailed
};

// Decodes the attachment completely in memory, then writes it into folder under its
// safe local name (LocalAttachmentFileName) through a temporary file that is renamed into
// place, mode 0600. A failed decode or write leaves an existing file untouched. The file
// always lands directly in folder, whatever the attachment's name says.
SaveResult SaveAttachment(const std::filesystem::path& folder, const Attachment& attachment,
                          ExistingFile existing);

}  // namespace morvaline
