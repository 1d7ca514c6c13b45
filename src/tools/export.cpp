#include "tools/export.h"

#include <optional>

#include "platform/text_codec.h"
#include "store/document.h"
#include "store/mail_folders.h"
#include "store/opened_list.h"
#include "store/place_files.h"
#include "store/texts.h"
#include "tools/auto_delete.h"
#include "tools/export_job.h"

namespace morvaline {
namespace {

// Removal goes in groups: progress and the stop request between them, one rewrite of the
// place's files per group.
constexpr std::size_t kRemoveGroup = 64;
// The longest base name whose derived names ("_style.css", "_00001.htm") still fit a name.
constexpr std::size_t kMaxBaseName = 200;

bool plainFileName(const std::string& name) {
    return !name.empty() && name.size() <= kMaxBaseName && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

}  // namespace

bool exportSelects(const CItemArray& list, int index, ExportWhich which) {
    if (which == ExportWhich::All) return true;
    if (list.item(index).hasFlag(ITEM_FLAG_MARKED)) return true;
    return which == ExportWhich::MarkedWithComments && list.hasMarkedAncestor(index);
}

std::optional<std::string> Export::start(const ExportChoices& choices, const HtmlSettings& html,
                                         ExportListener listener) {
    if (worker_.running()) return std::nullopt;
    const CItemArray& tree = doc_.tree();
    if (choices.place <= 0 || !tree.valid(choices.place) || !placeHoldsList(tree.item(choices.place).m_nKind))
        return formatText(texts::kExportNoList, tree.item(std::max(choices.place, 0)).m_szTitle.view());
    if (!plainFileName(choices.fileName)) return formatText(texts::kExportBadFileName, sj(choices.fileName));
    std::error_code ec;
    if (!std::filesystem::is_directory(choices.folder, ec))
        return formatText(texts::kCannotOpenFile, sj(choices.folder.string()));
    worker_.wait();
    choices_ = choices;
    html_ = html;
    listener_ = std::move(listener);
    auto result = std::make_shared<ExportResult>();
    worker_.start([this, result] { *result = run(); },
                  [this, result] {
                      if (listener_.finished) listener_.finished(*result);
                  });
    return std::nullopt;
}

ExportResult Export::run() {
    OpenedList list(doc_, choices_.place, false);
    if (!list) {
        return {ExportOutcome::Failed, formatText(texts::kExportNoList, doc_.tree().item(choices_.place).m_szTitle.view()),
                0, 0};
    }
    auto report = [this](ExportPhase phase, int percent) {
        if (listener_.progress) listener_.progress(phase, percent);
    };
    const ExportJob job{doc_,
                        choices_.place,
                        *list,
                        choices_,
                        [&](int percent) { report(ExportPhase::Writing, percent); },
                        [this](const std::string& q) { return listener_.askOverwrite && listener_.askOverwrite(q); },
                        [this] { return stopRequested(); }};
    ExportWritten written = choices_.format == ExportFormat::Text ? exportText(job) : exportHtml(job, html_);
    ExportResult result = written.result;
    if (result.outcome != ExportOutcome::Done || !choices_.removeAfter || written.indices.empty()) return result;

    // Only what the export wrote goes, the last first; serials find the items again after
    // each group shifted the indices.
    std::optional<OpenedList> trash;
    if (!trashCommandsDelete(doc_, choices_.place)) {
        trash.emplace(doc_, findTrashPlace(doc_));
        if (!*trash) return {ExportOutcome::Failed, textSjis(texts::kExportRemoveFailed), result.exported, 0};
    }
    std::vector<int> serials;
    for (const int i : written.indices) serials.push_back(list->item(i).m_nSerial);
    std::sort(serials.begin(), serials.end(),
              [&](int a, int b) { return list->findSerial(a) < list->findSerial(b); });
    for (std::size_t end = serials.size(); end > 0;) {
        report(ExportPhase::Removing, static_cast<int>((serials.size() - end) * 100 / serials.size()));
        if (stopRequested()) {
            result.outcome = ExportOutcome::Stopped;
            return result;
        }
        const std::size_t begin = end > kRemoveGroup ? end - kRemoveGroup : 0;
        std::vector<int> group;
        for (std::size_t k = begin; k < end; ++k)
            if (const int i = list->findSerial(serials[k]); i > 0) group.push_back(i);
        if (!removeExported(*list, group, trash ? &**trash : nullptr)) {
            return {ExportOutcome::Failed, textSjis(texts::kExportRemoveFailed), result.exported, result.removed};
        }
        result.removed += static_cast<int>(group.size());
        end = begin;
    }
    report(ExportPhase::Removing, 100);
    return result;
}

bool Export::removeExported(CItemArray& list, const std::vector<int>& group, CItemArray* trash) {
    if (!trash) return list.remove(group);
    BulkOutcome outcome;
    trashItems(doc_, choices_.place, list, *trash, group, outcome);
    return outcome.failed == 0;
}

}  // namespace morvaline
