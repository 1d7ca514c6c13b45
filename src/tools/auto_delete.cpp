#include "tools/auto_delete.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/change_notices.h"
#include "store/document.h"
#include "store/item_transfer.h"
#include "store/mail_folders.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

// Items are handled in groups of this size: progress and the cancel event between groups,
// one rewrite of the source's files per group.
constexpr std::size_t kGroup = 64;
constexpr std::size_t kExportGroup = 32;
constexpr int kHighestNamedRoom = 20;

std::vector<int> indicesOf(const CItemArray& list, const std::vector<int>& serials) {
    std::vector<int> indices;
    for (const int serial : serials)
        if (const int i = list.findSerial(serial); i > 0) indices.push_back(i);
    return indices;
}

void removeOwnTexts(CTolDoc& doc, const std::vector<CItem>& items) {
    for (const CItem& item : items)
        if (keepsOwnText(item)) removeOwnText(doc, item);
}

bool exportTexts(CTolDoc& doc, CItemArray& list, const std::vector<int>& serials,
                 const BulkRequest& request, const ToolRun& run, BulkOutcome& outcome) {
    const int fd = ::open(request.exportFile.c_str(),
                          O_WRONLY | O_CREAT | O_CLOEXEC | (request.appendExport ? O_APPEND : O_TRUNC), 0600);
    if (fd < 0) {
        doc.reporter().report(texts::kCannotOpenFile, request.exportFile.string());
        return false;
    }
    bool ok = true;
    for (std::size_t k = 0; k < serials.size() && ok; ++k) {
        if (k % kExportGroup == 0) {
            if (run.cancelled()) {
                outcome.cancelled = true;
                break;
            }
            run.report(static_cast<int>(100 * k / serials.size()));
        }
        const int i = list.findSerial(serials[k]);
        const CItem item = list.item(i);
        if (item.m_nLength <= 0 || keepsOwnText(item)) continue;
        const auto text = list.readText(item.m_nOffset, item.m_nLength);
        ok = text && writeWhole(fd, *text);
        if (ok) ++outcome.done;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) doc.reporter().report(texts::kListWriteFailed, request.exportFile.string());
    return ok;
}

// Moves a group out of the trash, each item back to the place it came from.
void restoreGroup(CTolDoc& doc, CItemArray& trash, const std::vector<int>& group, BulkOutcome& outcome,
                  ChangeNotices* notices) {
    std::map<int, std::vector<int>> byPlace;  // place serial -> item serials
    for (const int i : group) {
        const CItem item = trash.item(i);
        byPlace[item.m_nSpare[kFormerPlaceSpare]].push_back(item.m_nSerial);
    }
    for (const auto& [placeSerial, serials] : byPlace) {
        const int place = placeSerial != 0 ? doc.tree().findSerial(placeSerial) : -1;
        const bool placeKept = place > 0 && doc.tree().item(place).m_nKind != kind::kTrash;
        OpenedList target(doc, placeKept ? place : 0, placeKept);
        std::vector<int> moved;
        if (placeKept && target) moved = moveItems(doc, trash, indicesOf(trash, serials), *target);
        if (moved.empty()) {
            outcome.failed += static_cast<int>(serials.size());
            continue;
        }
        for (const int i : moved) target->setSpare(i, kFormerPlaceSpare, 0);
        target->save();
        outcome.done += static_cast<int>(moved.size());
        if (notices) {
            for (const int i : moved) notices->itemNotice(ItemNotice::of(ItemChange::Added, *target, i));
        }
    }
}

}  // namespace

bool trashCommandsDelete(CTolDoc& doc, int place) {
    const CItem item = doc.tree().item(place);
    return doc.integer(docint::kTrashCommandsDelete) != 0 || item.m_nKind == kind::kTrash ||
           item.hasFlag(ITEM_FLAG_HIDDEN);
}

void trashItems(CTolDoc& doc, int place, CItemArray& list, CItemArray& trash, std::vector<int> group,
                BulkOutcome& outcome, ChangeNotices* notices) {
    std::vector<int> shortcuts;
    std::erase_if(group, [&](int i) {
        const bool shortcut = list.item(i).m_nKind == kind::kShortcut;
        if (shortcut) shortcuts.push_back(i);
        return shortcut;
    });
    const int placeSerial = doc.tree().item(place).m_nSerial;
    std::vector<int> moved;
    if (!group.empty()) {
        for (const int i : group) list.setSpare(i, kFormerPlaceSpare, placeSerial);
        const std::vector<int> serials = [&] {
            std::vector<int> s;
            for (const int i : shortcuts) s.push_back(list.item(i).m_nSerial);
            return s;
        }();
        moved = moveItems(doc, list, group, trash);
        if (moved.empty()) {
            for (const int i : group) list.setSpare(i, kFormerPlaceSpare, 0);
            outcome.failed += static_cast<int>(group.size());
        }
        outcome.done += static_cast<int>(moved.size());
        shortcuts = indicesOf(list, serials);
    }
    if (!shortcuts.empty()) {
        if (list.remove(shortcuts)) outcome.done += static_cast<int>(shortcuts.size());
        else outcome.failed += static_cast<int>(shortcuts.size());
    }
    if (notices)
        for (const int i : moved) notices->itemNotice(ItemNotice::of(ItemChange::Added, trash, i));
}

int deleteSlotOfKind(int kind) {
    if (kind >= 0 && kind <= 5) return kind;
    if (kind >= 7 && kind <= 10) return kind - 1;
    if (kind >= 12 && kind <= 18) return kind - 2;
    if (kind == kind::kForum) return 17;
    return -1;
}

const CDelete* ruleOfPlace(CTolDoc& doc, const CItem& place) {
    if (!doc.integer(docint::kAutoDeleteOn) || place.hasFlag(ITEM_FLAG_HIDDEN)) return nullptr;
    int id = place.m_nDeleteRule;
    if (id == 0) {
        const int slot = deleteSlotOfKind(place.m_nKind);
        id = slot >= 0 ? doc.deleteSlot(slot) : 0;
    }
    if (id <= 0) return nullptr;
    const CDelete* rule = doc.deleteRules().find(id);
    // A negative day count would reach into the future and take every message.
    return rule && rule->days >= 0 ? rule : nullptr;
}

std::string describe(const CDelete& rule) {
    char days[32];
    std::snprintf(days, sizeof days, "%d", rule.days);
    std::string text = days + sj("日後、") + sj(rule.flags & 1 ? "削除" : "ごみ箱に移動");
    if (rule.spareMarked && rule.spareComments) text += sj(" (マークとそのコメント以外)");
    else if (rule.spareMarked) text += sj(" (マーク以外)");
    return text;
}

FileTime ageLimit(const CDelete& rule, FileTime now) {
    return now - static_cast<FileTime>(rule.days) * kTicksPerDay;
}

std::vector<int> selectItems(const CItemArray& list, const BulkRequest& request) {
    std::vector<int> chosen;
    list.read([&](const std::vector<std::unique_ptr<CItem>>& items) {
        const int n = static_cast<int>(items.size());
        for (int i = 1; i < n; ++i) {
            const CItem& item = *items[static_cast<std::size_t>(i)];
            bool take = false;
            switch (request.selection) {
                case Selection::All: take = true; break;
                case Selection::Marked:
                    take = item.hasFlag(ITEM_FLAG_MARKED) || (request.subItems && list.hasMarkedAncestor(i));
                    break;
                case Selection::One:
                    take = i == request.index || (request.subItems && list.isBelow(i, request.index));
                    break;
                case Selection::Older: take = item.m_ftDate < request.ageLimit; break;
                case Selection::OlderSparingMarked:
                    take = item.m_ftDate < request.ageLimit && !item.hasFlag(ITEM_FLAG_MARKED) &&
                           !(request.subItems && list.hasMarkedAncestor(i));
                    break;
            }
            if (take && request.keepPending && (item.isReserved() || keepsOwnText(item))) take = false;
            if (take) chosen.push_back(i);
        }
    });
    return chosen;
}

BulkOutcome runBulk(CTolDoc& doc, int place, CItemArray& list, const BulkRequest& request,
                    const ToolRun& run, ChangeNotices* notices) {
    BulkOutcome outcome;
    const std::vector<int> chosen = selectItems(list, request);
    outcome.selected = static_cast<int>(chosen.size());
    if (chosen.empty()) return outcome;
    std::vector<int> serials;
    for (const int i : chosen) serials.push_back(list.item(i).m_nSerial);

    if ((request.actions & bulk::kExport) && !exportTexts(doc, list, serials, request, run, outcome))
        return outcome;
    const unsigned removal = request.actions & (bulk::kTrash | bulk::kDelete | bulk::kRestore);
    if (removal == 0 || outcome.cancelled) return outcome;
    outcome.done = 0;

    std::optional<OpenedList> trash;
    if (removal & bulk::kTrash) {
        trash.emplace(doc, findTrashPlace(doc));
        if (!*trash) {
            outcome.failed = outcome.selected;
            return outcome;
        }
    }
    // From the last group to the first, as the list shrinks behind them.
    for (std::size_t end = serials.size(); end > 0;) {
        if (run.cancelled()) {
            outcome.cancelled = true;
            break;
        }
        const std::size_t begin = end > kGroup ? end - kGroup : 0;
        const std::vector<int> group =
            indicesOf(list, std::vector<int>(serials.begin() + static_cast<std::ptrdiff_t>(begin),
                                             serials.begin() + static_cast<std::ptrdiff_t>(end)));
        if (removal & bulk::kDelete) {
            std::vector<CItem> removed;
            for (const int i : group) removed.push_back(list.item(i));
            if (list.remove(group)) {
                removeOwnTexts(doc, removed);
                outcome.done += static_cast<int>(group.size());
            } else {
                outcome.failed += static_cast<int>(group.size());
            }
        } else if (removal & bulk::kTrash) {
            trashItems(doc, place, list, **trash, group, outcome, notices);
        } else {
            restoreGroup(doc, list, group, outcome, notices);
        }
        end = begin;
        run.report(static_cast<int>(100 * (serials.size() - end) / serials.size()));
    }
    if (notices && outcome.done > 0)
        notices->placeNotice(PlaceNotice::of(PlaceChange::Changed, doc.tree(), place));
    return outcome;
}

ExpiryOutcome applyDeleteRule(CTolDoc& doc, int place, bool firstPlace, bool silent, FileTime now,
                              const ToolRun& run, ChangeNotices* notices, bool dryRun) {
    ExpiryOutcome outcome;
    const CItem placeItem = doc.tree().item(place);
    const CDelete* rule = ruleOfPlace(doc, placeItem);
    if (!rule) return outcome;
    OpenedList list(doc, place, false);
    if (!list || list->size() <= 1) return outcome;
    const bool deletes = doc.integer(docint::kAutoDeleteDeletes) != 0;
    if (firstPlace && !silent && doc.integer(docint::kAutoDeleteAsks) &&
        !run.yes(deletes ? texts::kAutoDeleteEmptiesQuestion : texts::kAutoDeleteQuestion)) {
        outcome.stopped = true;
        return outcome;
    }
    BulkRequest request;
    request.selection = rule->spareMarked ? Selection::OlderSparingMarked : Selection::Older;
    request.subItems = rule->spareMarked && rule->spareComments;
    request.ageLimit = ageLimit(*rule, now);
    request.keepPending = true;
    // The trash's own messages can only be deleted.
    const bool toTrash = !deletes && !(rule->flags & 1) && placeItem.m_nKind != kind::kTrash;
    request.actions = toTrash ? bulk::kTrash : bulk::kDelete;
    if (dryRun) {
        outcome.items.selected = static_cast<int>(selectItems(*list, request).size());
        return outcome;
    }
    outcome.items = runBulk(doc, place, *list, request, run, notices);
    outcome.stopped = outcome.items.cancelled;
    return outcome;
}

ExpiryOutcome runAutoDeletion(CTolDoc& doc, FileTime now, const ToolRun& run, ChangeNotices* notices,
                              bool dryRun) {
    ExpiryOutcome total;
    if (!dryRun && doc.integer(docint::kAutoDeleteAsks)) {
        const bool deletes = doc.integer(docint::kAutoDeleteDeletes) != 0;
        if (!run.yes(deletes ? texts::kAutoDeleteEmptiesQuestion : texts::kAutoDeleteQuestion)) {
            total.stopped = true;
            return total;
        }
    }
    ToolRun perPlace = run;
    perPlace.progress = nullptr;  // progress is counted in places
    // Serials, since a place's rule never changes the tree but the walk should not care.
    std::vector<int> places;
    for (int i = 0; i < doc.tree().size(); ++i) places.push_back(doc.tree().item(i).m_nSerial);
    for (std::size_t k = 0; k < places.size(); ++k) {
        if (run.cancelled()) {
            total.stopped = true;
            break;
        }
        run.report(static_cast<int>(100 * k / places.size()));
        const int place = doc.tree().findSerial(places[k]);
        const CItem item = doc.tree().item(place);
        if (place < 0 || (item.m_nKind == kind::kRoom && item.m_nNumber > kHighestNamedRoom)) continue;
        const ExpiryOutcome one = applyDeleteRule(doc, place, false, true, now, perPlace, notices, dryRun);
        total.items.selected += one.items.selected;
        total.items.done += one.items.done;
        total.items.failed += one.items.failed;
        if (one.stopped) {
            total.stopped = true;
            break;
        }
    }
    if (!total.stopped) run.report(100);
    return total;
}

}  // namespace morvaline
