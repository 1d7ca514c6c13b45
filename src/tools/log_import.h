#pragma once
// Log import: terminal logs of sessions with the host become stored messages of a place,
// read by the same capture of host text as a patrol stores (store/log_capture.h).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/tool_run.h"

namespace morvaline {

class CTolDoc;

// The import kinds of the wizard. AllPlaces ("すべての場所にｲﾝﾎﾟｰﾄ(&A)") has no defined
// distribution of a log over the places and is refused.
enum class ImportKind { AllPlaces = 0, SelectedPlace = 1, NewForum = 2, ClosedForum = 3 };

// Bytes read against the total size of all files, for the progress of a whole import.
struct ImportProgress {
    std::int64_t done = 0;
    std::int64_t total = 0;
};

// True for the places whose messages a log can carry: rooms, boards, clubs, circles and
// mail places.
bool importablePlace(int kind);

// Imports one log into a place: 1 done, 0 failed (reported, *error in UTF-8) or cancelled
// (the messages stored so far are kept). A new patrol generation starts, so the imported
// messages count as new; received mail is sorted by the mail assistant afterwards.
int ImportLogFile(CTolDoc& doc, const std::filesystem::path& path, int place, ImportProgress& progress,
                  const ToolRun& run, std::string* error);

struct ImportRequest {
    ImportKind kind = ImportKind::SelectedPlace;
    int place = -1;
    std::vector<std::filesystem::path> files;
    // When set, each file whose import finished is handed to it (the desktop's trash).
    std::function<bool(const std::filesystem::path&)> moveToTrash;
};

// Imports the files in order: 1 done, 0 failed or cancelled (*error in UTF-8).
int ImportLogs(CTolDoc& doc, const ImportRequest& request, const ToolRun& run, std::string* error);

}  // namespace morvaline
