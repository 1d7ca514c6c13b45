#include "tools/query.h"

#include "message/mail_display.h"
#include "platform/atomic_file.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"
#include "tools/text_window.h"

namespace morvaline {
namespace {

// Places in the subtree of a place, the place included.
int countPlaces(const CItemArray& tree, int place) {
    int n = 1;
    for (int c = tree.item(place).m_nChild; tree.valid(c); c = tree.item(c).m_nNext) n += countPlaces(tree, c);
    return n;
}

}  // namespace

std::optional<std::string> Query::start(const QueryParams& params, QueryListener listener,
                                        FileTime now) {
    if (worker_.running()) return std::nullopt;
    if (auto invalid = validateQuery(params, doc_.tree())) return invalid;
    worker_.wait();
    params_ = params;
    listener_ = std::move(listener);
    bounds_ = queryBounds(params, now);
    finder_.emplace(params.word, params.caseSensitive);
    doc_.rememberSearchWord(params.word);
    {
        std::lock_guard lock(resultsMutex_);
        results_.clear();
    }
    auto outcome = std::make_shared<QueryOutcome>(QueryOutcome::Stopped);
    worker_.start([this, outcome] { *outcome = run(); },
                  [this, outcome] {
                      if (listener_.finished) listener_.finished(*outcome);
                  });
    return std::nullopt;
}

std::vector<QueryHit> Query::results() const {
    std::lock_guard lock(resultsMutex_);
    return results_;
}

std::size_t Query::resultCount() const {
    std::lock_guard lock(resultsMutex_);
    return results_.size();
}

void Query::addResult(const QueryHit& hit) {
    {
        std::lock_guard lock(resultsMutex_);
        results_.push_back(hit);
    }
    if (listener_.found) listener_.found(hit);
}

QueryOutcome Query::run() {
    placesTotal_ = countPlaces(doc_.tree(), params_.startPlace);
    placesDone_ = 0;
    const int result = searchPlace(params_.startPlace);
    if (resultCount() == 0) return QueryOutcome::NoResult;
    return static_cast<QueryOutcome>(result);
}

int Query::searchPlace(int place) {
    if (resultCount() >= kResultLimit) return 2;
    if (worker_.stopRequested()) return 0;
    const CItemArray& tree = doc_.tree();
    const CItem placeItem = tree.item(place);
    const std::optional<int> onlyKind = queryPlaceKind(params_.kind);
    if (!onlyKind || placeItem.m_nKind == *onlyKind) {
        OpenedList list(doc_, place, false);
        if (list) {
            TextWindow texts(*list);
            for (int i = 1; i < list->size(); ++i) {
                if (worker_.stopRequested()) return 0;
                const CItem item = list->item(i);
                if (matchItem(item, texts)) addResult({placeItem.m_nSerial, item.m_nSerial});
            }
        }
    }
    ++placesDone_;
    if (listener_.progress) listener_.progress(placesDone_ * 100 / std::max(placesTotal_, 1));
    if (params_.subfolders) {
        for (int c = placeItem.m_nChild; tree.valid(c); c = tree.item(c).m_nNext) {
            const int result = searchPlace(c);
            if (result != 1) return result;
        }
    }
    return 1;
}

bool Query::matchItem(const CItem& item, TextWindow& texts) const {
    if (!queryKindAccepts(params_.kind, item)) return false;
    if (item.m_ftDate != 0 && ((bounds_.from && item.m_ftDate < *bounds_.from) ||
                               (bounds_.to && item.m_ftDate > *bounds_.to)))
        return false;
    if (finder_->empty()) return true;
    if ((params_.fields & queryfield::kTitle) && finder_->foundIn(item.m_szTitle.view())) return true;
    if ((params_.fields & queryfield::kSender) &&
        (finder_->foundIn(item.m_szID.view()) || finder_->foundIn(item.m_szName.view()) ||
         finder_->foundIn(item.m_strText.view())))
        return true;
    return (params_.fields & queryfield::kBody) && bodyMatches(item, texts);
}

bool Query::bodyMatches(const CItem& item, TextWindow& texts) const {
    // A reply or forward carrying a file (kind -21) waits with its text in a file of its
    // own like any item being written, and has no body only when that file is gone.
    if (hasOwnTextFile(item)) {
        const std::string name = ownTextFileName(item);
        std::string text;
        return !name.empty() && readWholeFile(doc_.dataDirectory() / name, text) && finder_->foundIn(text);
    }
    if (item.m_nKind == kind::kSentFileMail || item.m_nKind == kind::kListRoot || item.m_nLength <= 0)
        return false;
    const std::optional<std::string_view> stored = texts.text(item.m_nOffset, item.m_nLength);
    if (!stored) return false;
    if (item.m_dwFlags & (ITEM_FLAG_INTERNET | ITEM_FLAG_UUENCODED))
        return finder_->foundIn(MailDisplayText(*stored, item.m_dwFlags, nullptr));
    return finder_->foundIn(*stored);
}

}  // namespace morvaline
