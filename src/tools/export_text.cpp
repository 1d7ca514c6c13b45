// The text format of the export: the stored texts of the chosen messages, unchanged, one
// after another in the chosen order, written over the file or added to its end.

#include <algorithm>

#include "platform/append_file.h"
#include "platform/atomic_file.h"
#include "platform/sjis_search.h"
#include "store/document.h"
#include "store/outgoing_mail.h"
#include "store/texts.h"
#include "tools/export_job.h"
#include "tools/text_window.h"

namespace morvaline {
namespace {

// Progress and the stop request are looked at every so many messages.
constexpr std::size_t kStep = 32;

// Messages with a stored text of their own in the place's text file, in list order.
std::vector<int> selectTexts(const CItemArray& list, ExportWhich which) {
    std::vector<int> chosen;
    for (int i = 1; i < list.size(); ++i) {
        const CItem item = list.item(i);
        if (item.m_nLength > 0 && !hasOwnTextFile(item) && exportSelects(list, i, which))
            chosen.push_back(i);
    }
    return chosen;
}

void sortTexts(const CItemArray& list, std::vector<int>& chosen, ExportOrder order, bool reverse) {
    std::vector<CItem> items(static_cast<std::size_t>(list.size()));
    for (int i : chosen) items[static_cast<std::size_t>(i)] = list.item(i);
    auto field = [&](int i) -> const CItem& { return items[static_cast<std::size_t>(i)]; };
    auto byText = [&](auto member) {
        return [&, member](int a, int b) {
            return sjisUpperCase((field(a).*member).view()) < sjisUpperCase((field(b).*member).view());
        };
    };
    switch (order) {
    case ExportOrder::Registration: break;
    case ExportOrder::Number:
        std::stable_sort(chosen.begin(), chosen.end(),
                         [&](int a, int b) { return field(a).m_nNumber < field(b).m_nNumber; });
        break;
    case ExportOrder::Date:
        std::stable_sort(chosen.begin(), chosen.end(),
                         [&](int a, int b) { return field(a).m_ftDate < field(b).m_ftDate; });
        break;
    case ExportOrder::Title: std::stable_sort(chosen.begin(), chosen.end(), byText(&CItem::m_szTitle)); break;
    case ExportOrder::Id: std::stable_sort(chosen.begin(), chosen.end(), byText(&CItem::m_szID)); break;
    case ExportOrder::Handle: std::stable_sort(chosen.begin(), chosen.end(), byText(&CItem::m_szName)); break;
    }
    if (reverse) std::reverse(chosen.begin(), chosen.end());
}

template <typename File>
ExportWritten writeTexts(const ExportJob& job, const std::vector<int>& chosen, File& file) {
    ExportWritten written;
    const std::string path = job.choices.fileName;
    auto failed = [&](const Text& text) {
        written.result = {ExportOutcome::Failed, formatText(text, (job.choices.folder / path).string()), 0, 0};
        written.indices.clear();
        return written;
    };
    if (!file.open()) return failed(texts::kCannotOpenFile);
    TextWindow texts(job.list);
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        if (k % kStep == 0) {
            job.progress(static_cast<int>(k * 100 / chosen.size()));
            if (job.stopRequested()) {
                written.result.outcome = ExportOutcome::Stopped;
                written.indices.clear();
                return written;  // the file goes back to what it was
            }
        }
        const CItem item = job.list.item(chosen[k]);
        const auto text = texts.text(item.m_nOffset, item.m_nLength);
        if (!text) return failed(texts::kListWriteFailed);
        if (!file.write(*text)) return failed(texts::kExportWriteFailed);
        written.indices.push_back(chosen[k]);
    }
    if (!file.commit()) return failed(texts::kExportWriteFailed);
    job.progress(100);
    written.result.outcome = ExportOutcome::Done;
    written.result.exported = static_cast<int>(written.indices.size());
    return written;
}

}  // namespace

ExportWritten exportText(const ExportJob& job) {
    std::vector<int> chosen = selectTexts(job.list, job.choices.which);
    if (chosen.empty()) {
        ExportWritten none;
        none.result.outcome = ExportOutcome::Done;
        return none;
    }
    sortTexts(job.list, chosen, job.choices.order, job.choices.reverse);
    const std::filesystem::path target = job.choices.folder / job.choices.fileName;
    if (job.choices.append) {
        AppendFile file(target);
        return writeTexts(job, chosen, file);
    }
    AtomicFile file(target);
    return writeTexts(job, chosen, file);
}

}  // namespace morvaline
