#include "tools/log_import.h"

#include <algorithm>
#include <fstream>

#include "platform/text_codec.h"
#include "store/document.h"
#include "store/log_capture.h"
#include "store/opened_list.h"
#include "tools/mail_assistant.h"

namespace morvaline {

bool importablePlace(int kind) {
    return kind::isThreaded(kind) || kind == kind::kReceivedMail || kind == kind::kMailFolder;
}

int ImportLogFile(CTolDoc& doc, const std::filesystem::path& path, int place, ImportProgress& progress,
                  const ToolRun& run, std::string* error) {
    if (!doc.tree().valid(place) || !importablePlace(doc.tree().item(place).m_nKind)) {
        *error = "a log can be imported only into a room, board, club, circle or mail place";
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        doc.reporter().report(texts::kCannotOpenFile, path.string());
        *error = "cannot open " + path.string();
        return 0;
    }
    const CItem target = doc.tree().item(place);
    doc.startGeneration();
    bool done = true;
    {
        OpenedList list(doc, place);
        if (!list) {
            *error = "the place's message list cannot be opened";
            return 0;
        }
        LogCapture capture(*list, target, doc.generation());
        std::string line;
        std::int64_t lines = 0;
        int shown = -1;
        while (std::getline(in, line)) {
            progress.done += static_cast<std::int64_t>(line.size()) + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!capture.feed(line)) {
                doc.reporter().report(texts::kCannotOpenFile, list->textFile().string());
                *error = "the place's text file cannot be written";
                done = false;
                break;
            }
            if (++lines % 256 == 0) {
                if (run.cancelled()) {
                    done = false;
                    break;
                }
                const int percent =
                    progress.total > 0 ? static_cast<int>(std::min<std::int64_t>(100, 100 * progress.done / progress.total)) : 0;
                if (percent != shown) run.report(shown = percent);
            }
        }
        if (done && !capture.finish()) done = false;
        list->save();
    }
    if (target.m_nKind == kind::kReceivedMail) SortReceivedMail(doc, true);
    return done ? 1 : 0;
}

int ImportLogs(CTolDoc& doc, const ImportRequest& request, const ToolRun& run, std::string* error) {
    error->clear();
    if (request.kind == ImportKind::AllPlaces) {
        *error = "importing into every place the log visits is not available; choose a place";
        return 0;
    }
    ImportProgress progress;
    for (const auto& file : request.files) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        if (!ec) progress.total += static_cast<std::int64_t>(size);
    }
    for (const auto& file : request.files) {
        if (run.cancelled()) {
            *error = "cancelled";
            return 0;
        }
        if (!ImportLogFile(doc, file, request.place, progress, run, error)) {
            if (error->empty()) *error = "cancelled";
            return 0;
        }
        // Only a file whose import finished goes to the trash.
        if (request.moveToTrash && !request.moveToTrash(file)) {
            *error = "imported, but could not be moved to the trash: " + file.string();
            return 0;
        }
    }
    run.report(100);
    return 1;
}

}  // namespace morvaline
