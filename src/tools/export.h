#pragma once
// The export: the messages of one place saved as one text file (their stored texts one
// after another) or as a small linked web site (a frame page, contents, a welcome page, a
// style sheet and a page per message), then, when asked, removed from the place. It runs on
// a worker thread that the user can stop.
//
// Nothing half-done is left behind: an overwritten text file is replaced only when it is
// complete, a failed or stopped append is cut back to its old length, and the messages are
// removed only after the whole export succeeded.
//
// Threads: start, stop and wait belong to the main thread; the listener is called on the
// worker thread (a window posts what it hears to its own thread, and answers a question by
// a blocking call to it).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_locale.h"
#include "tools/tool_worker.h"

namespace morvaline {

class CItemArray;
class CTolDoc;

enum class ExportWhich : int { All = 0, Marked = 1, MarkedWithComments = 2 };
enum class ExportFormat : int { Text = 0, Html = 1 };
// The text format's orders: 登録順, 番号順, 名称順 (title), ID順, ﾊﾝﾄﾞﾙ順, 日付順.
enum class ExportOrder : int { Registration = 0, Number = 1, Title = 2, Id = 3, Handle = 4, Date = 5 };

struct ExportChoices {
    int place = -1;  // index in the place tree
    ExportWhich which = ExportWhich::All;
    ExportFormat format = ExportFormat::Text;
    ExportOrder order = ExportOrder::Registration;
    bool reverse = false;
    std::filesystem::path folder;
    std::string fileName;  // a plain name (UTF-8); the HTML files are named after it
    bool append = false;   // text: add to the end of an existing file
    bool removeAfter = false;
};

// The HTML settings of the user ("HtmlContentTarget", "HtmlShowNumber") and the locale
// whose short date the pages show.
struct HtmlSettings {
    std::string contentTarget = "_top";
    bool showNumber = true;
    DateLocale locale;
};

enum class ExportPhase : int { Writing = 0, Removing = 1, Sorting = 2 };

enum class ExportOutcome : int {
    Failed = -1,  // message says why; nothing was removed
    Stopped = 0,  // "ｴｸｽﾎﾟｰﾄは中止されました"
    Done = 1,
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Failed;
    std::string message;  // Shift_JIS, for Failed
    int exported = 0;     // messages written
    int removed = 0;
};

struct ExportListener {
    std::function<void(ExportPhase, int percent)> progress;
    // "'%1' は既に存在します。..." (Shift_JIS): true to overwrite; without it, No.
    std::function<bool(const std::string& question)> askOverwrite;
    std::function<void(const ExportResult&)> finished;  // last, after the worker's job ended
};

class Export {
public:
    explicit Export(CTolDoc& doc) : doc_(doc) {}
    ~Export() = default;  // the worker is stopped and joined before the members go
    Export(const Export&) = delete;
    Export& operator=(const Export&) = delete;

    // Checks the choices (the reason as Shift_JIS when they cannot start an export) and
    // starts the worker.
    std::optional<std::string> start(const ExportChoices& choices, const HtmlSettings& html,
                                     ExportListener listener);
    void stop() { worker_.stop(); }
    void wait() { worker_.wait(); }
    bool running() const { return worker_.running(); }

private:
    ExportResult run();
    // Deletes the items of a group, or moves them to the trash when one is given; false when
    // the place's files (or the trash's) could not be written.
    bool removeExported(CItemArray& list, const std::vector<int>& group, CItemArray* trash);
    bool stopRequested() const { return worker_.stopRequested(); }

    CTolDoc& doc_;
    ExportChoices choices_;
    HtmlSettings html_;
    ExportListener listener_;
    ToolWorker worker_;  // last: goes first, so the job never outlives what it uses
};

}  // namespace morvaline
