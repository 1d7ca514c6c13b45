#include "store/report.h"

#include <algorithm>

#include "platform/file_time.h"

namespace morvaline {
namespace {

struct IdRange {
    int first, last;
};

constexpr IdRange kWarningIds[] = {
    {1151, 1151},   {1193, 1193},   {10240, 10241}, {28679, 28679}, {28681, 28687},
    {28689, 28705}, {28712, 28727}, {28729, 28733}, {30209, 30209}, {30214, 30215},
    {28740, 28759}, {30217, 30222},
};

// The warnings that say a step of a run did not do its work: a place not reached, a
// message not deleted or posted, the line or a file that failed, a transfer that failed,
// a mail not read, fetched, sent or deleted, a file not uploaded or downloaded, a login
// refused. The other warnings tell of the text or the host (a body line that looked like
// a header, a list cut at its page limit, characters internet mail cannot carry, a
// transfer being aborted before its result, a renamed or closed room, a logout time out
// of step, a paid service refused, a file or document the host does not have): the run
// did its work.
constexpr IdRange kFailedStepIds[] = {
    {1151, 1151},   {1193, 1193},   {28679, 28679}, {28681, 28687},
    {28690, 28704}, {28713, 28727}, {28729, 28733}, {28741, 28744}, {28747, 28750},
    {30214, 30215},
};

// Navigation and similar reports that never reach the patrol status window.
constexpr int kNotForPatrolWindow[] = {1055, 1056, 1057, 1058, 1065, 1072,
                                       1074, 1075, 1085, 16840, 28689};

constexpr int kEventSoundFirst = 30208;
constexpr int kEventSoundLast = 30222;

template <std::size_t N>
bool inRanges(const IdRange (&ranges)[N], int id) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [id](IdRange r) { return id >= r.first && id <= r.last; });
}

}  // namespace

EventKind reportKind(int id) {
    return inRanges(kWarningIds, id) ? EventKind::Warning : EventKind::Information;
}

bool isFailedStepReport(int id) { return inRanges(kFailedStepIds, id); }

int reportSoundSlot(int id) {
    if (id >= kEventSoundFirst && id <= kEventSoundLast) return id - kEventSoundFirst;
    return reportKind(id) == EventKind::Warning ? kWarningSoundSlot : -1;
}

void Reporter::setSink(ReportSink* sink) {
    std::lock_guard lock(mutex_);
    sink_ = sink;
}

void Reporter::report(const Text& text, std::string_view arg1, std::string_view arg2) {
    report(formatText(text, arg1, arg2), text.id);
}

void Reporter::report(const std::string& sjisText, int id) {
    std::lock_guard lock(mutex_);
    if (sink_) sink_->reported(id, sjisText);
    if (sink_) sink_->showStatus(sjisText);
    if (id != texts::kBytesTransferred.id) {
        const EventLogHint hint =
            log_.add(sjisText, static_cast<int>(reportKind(id)), fileTimeNow());
        if (sink_) sink_->eventLogChanged(hint);
    }
    const int slot = reportSoundSlot(id);
    if (slot >= 0 && sounds_.enabled && !sounds_.files[static_cast<std::size_t>(slot)].empty() &&
        sink_)
        sink_->playSound(sounds_.files[static_cast<std::size_t>(slot)]);
    if (std::find(std::begin(kNotForPatrolWindow), std::end(kNotForPatrolWindow), id) !=
        std::end(kNotForPatrolWindow))
        return;
    if (!patrolLinesSuppressed_ && sink_) sink_->addPatrolLine(sjisText);
    if (id == texts::kSkipping.id) patrolLinesSuppressed_ = true;
}

void Reporter::connectionAttemptStarted() {
    std::lock_guard lock(mutex_);
    patrolLinesSuppressed_ = false;
}

}  // namespace morvaline
