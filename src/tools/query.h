#pragma once
// The query: searches the stored messages of a place, and of the places below it, for a
// word within dates and a kind of message, on a worker thread that the user can stop. The
// results are pairs of serial numbers (place, message), which stay valid while items are
// added and deleted; a window shows them through query_results.h.
//
// Threads: start, stop, wait and the search history belong to the main thread; the
// listener is called on the worker thread (a window posts what it hears to its own
// thread); results() may be called on any thread, also while the search runs.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sjis_search.h"
#include "tools/query_params.h"
#include "tools/tool_worker.h"

namespace morvaline {

class CItemArray;
class CTolDoc;
class TextWindow;

struct QueryHit {
    int placeSerial = 0;  // the place's serial in the place tree
    int itemSerial = 0;   // the message's serial in the place's list
    friend bool operator==(const QueryHit&, const QueryHit&) = default;
};

// How a search ended (the numbers the sheet is told).
enum class QueryOutcome : int {
    NoResult = -1,      // finished without a result: "検索結果は0個でした"
    Stopped = 0,        // stopped by the user; the results so far are kept
    Finished = 1,
    LimitReached = 2,   // stopped before the next place once kResultLimit results were found
};

// What the worker tells while it searches (each may be empty).
struct QueryListener {
    std::function<void(int percent)> progress;        // places searched, 0 ... 100
    std::function<void(const QueryHit&)> found;
    std::function<void(QueryOutcome)> finished;       // last, after the worker's job ended
};

class Query {
public:
    // The limit is checked before each place, so one place may carry the count past it.
    static constexpr std::size_t kResultLimit = 1000;

    explicit Query(CTolDoc& doc) : doc_(doc) {}
    ~Query() = default;  // the worker is stopped and joined before the members go
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Validates the values (the reason as Shift_JIS when they cannot start a search),
    // puts the word at the front of the search history, empties the results and starts
    // the worker. `now` is the local time the date bounds count back from.
    std::optional<std::string> start(const QueryParams& params, QueryListener listener,
                                     FileTime now);
    void stop() { worker_.stop(); }
    void wait() { worker_.wait(); }
    bool running() const { return worker_.running(); }

    const QueryParams& params() const { return params_; }
    std::vector<QueryHit> results() const;

private:
    QueryOutcome run();
    // 1 go on, 2 limit reached, 0 stopped.
    int searchPlace(int place);
    bool matchItem(const CItem& item, TextWindow& texts) const;
    bool bodyMatches(const CItem& item, TextWindow& texts) const;
    void addResult(const QueryHit& hit);
    std::size_t resultCount() const;

    CTolDoc& doc_;
    QueryParams params_;
    QueryListener listener_;
    QueryBounds bounds_;
    std::optional<SjisFinder> finder_;
    int placesTotal_ = 0, placesDone_ = 0;
    mutable std::mutex resultsMutex_;
    std::vector<QueryHit> results_;
    ToolWorker worker_;  // last: goes first, so the job never outlives what it uses
};

}  // namespace morvaline
