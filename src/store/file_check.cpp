#include "store/file_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/archive.h"
#include "store/document.h"
#include "store/item_transfer.h"
#include "store/log_capture.h"
#include "store/opened_list.h"
#include "store/pending_pair.h"
#include "store/place_files.h"
#include "store/tree_links.h"

namespace morvaline {
namespace {

using Items = std::vector<std::unique_ptr<CItem>>;

// CHKFILE.LOG: Shift_JIS lines with CR LF, readable by others, written by the check alone.
class CheckLog {
public:
    CheckLog(const std::filesystem::path& dir, bool on) {
        if (!on) return;
        fd_ = ::open((dir / "CHKFILE.LOG").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::fchmod(fd_, 0600);  // an old log may have had other bits
    }
    ~CheckLog() {
        if (fd_ >= 0) ::close(fd_);
    }
    CheckLog(const CheckLog&) = delete;
    CheckLog& operator=(const CheckLog&) = delete;
    void line(const std::string& sjis) {
        if (fd_ < 0) return;
        const std::string bytes = sjis + "\r\n";
        if (::write(fd_, bytes.data(), bytes.size()) < 0) {}
    }
    void line(const Text& text, std::string_view arg1 = {}, std::string_view arg2 = {}) {
        line(formatText(text, arg1, arg2));
    }

private:
    int fd_ = -1;
};

std::string number(long long n) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", n);
    return text;
}

int linkErrorOf(const Items& items) {
    const int n = static_cast<int>(items.size());
    auto linksOf = [&items](int i) {
        const CItem& item = *items[static_cast<std::size_t>(i)];
        return TreeLinks{item.m_nParent, item.m_nNext, item.m_nPrev, item.m_nChild};
    };
    for (int i = 0; i < n; ++i) {
        // Links below -1 are the validation's to report (200 ... 203); none is followed.
        const TreeLinks l = linksOf(i);
        if (l.parent < -1 || l.next < -1 || l.prev < -1 || l.child < -1) continue;
        if (const int error = entryLinkError(n, linksOf, i)) return error;
    }
    for (int i = 0; i < n; ++i)
        if ((items[static_cast<std::size_t>(i)]->m_nParent < 0) != (i == 0)) return kLinksLoop;
    return treeLinksValid(n, linksOf) ? 0 : kLinksLoop;
}

// 601 ... 607: a message kind that does not belong in the list of a place of this kind.
int kindError(int placeKind, int k) {
    auto in = [k](std::initializer_list<int> kinds) {
        for (const int x : kinds)
            if (x == k) return true;
        return false;
    };
    switch (placeKind) {
        case kind::kReceivedMail:
        case kind::kMailFolder:
            return in({-26, -22, -21, -20, -19, -18, -17, -13, -6}) ? 0 : 601;
        case kind::kSentMail: return in({-22, -21, -20, -19, -18, -13, -6}) ? 0 : 602;
        case kind::kSentLog: return k == kind::kSentListEntry ? 0 : 603;
        case kind::kRoom:
        case kind::kBoard:
        case kind::kClub:
        case kind::kCircle:
        case kind::kClipping:
            return in({-26, -14, -3}) ? 0 : 604;
        case kind::kLibrary: return in({-26, -23, -14, -10, -9, -8, -7}) ? 0 : 605;
        case kind::kForumArea:
        case kind::kLibraryArea:
        case kind::kBilling:
        case kind::kNewNotices:
        case kind::kNotices:
            return k == kind::kForumMessage ? 0 : 606;
        case kind::kTemplates: return k == kind::kTemplate ? 0 : 607;
        default: return 0;
    }
}

bool shortcutTargetExists(CTolDoc& doc, const CItem& shortcut) {
    const int place = doc.tree().findSerial(shortcut.m_nNumber);
    if (place < 0) return false;
    OpenedList list(doc, place, false);
    return list && list->findSerial(shortcut.m_nOffset) > 0;
}

// The error number of a list file that the loader refused.
int damagedListError(const std::filesystem::path& file) {
    std::string bytes;
    if (!readWholeFile(file, bytes)) return kUnreadableList;
    CItemArray raw;
    try {
        ArchiveReader ar(bytes);
        raw.deserialize(ar);
    } catch (const ArchiveError&) {
        return kUnreadableList;
    }
    if (const int error = listLinkError(raw)) return error;
    const CItem root = raw.item(0);
    return root.m_nKind != kind::kListRoot ? 600 : kUnreadableList;
}

std::filesystem::path keptName(const std::filesystem::path& file, const char* suffix) {
    for (int n = 1;; ++n) {
        auto kept = file;
        kept += suffix;
        if (n > 1) kept += std::to_string(n);
        std::error_code ec;
        if (!std::filesystem::exists(kept, ec)) return kept;
    }
}

class Checker {
public:
    Checker(CTolDoc& doc, bool writeLog, const ToolRun& run)
        : doc_(doc), run_(run), log_(doc.dataDirectory(), writeLog) {}

    CheckOutcome check() {
        log_.line(formatDateTime(fileTimeNow()) + " " + textSjis(texts::kCheckStarted));
        if (!checkTree()) return stop();
        const int count = doc_.tree().size();
        std::vector<int> serials;
        for (int i = 0; i < count; ++i) serials.push_back(doc_.tree().item(i).m_nSerial);
        int shown = -1;
        for (int k = 0; k < count; ++k) {
            const int percent = 100 * (k + 1) / (count + 1);
            if (percent != shown) run_.report(shown = percent);
            if (run_.cancelled()) {
                log_.line(texts::kCheckCancelled);
                return stop();
            }
            const int place = doc_.tree().findSerial(serials[static_cast<std::size_t>(k)]);
            if (place >= 0 && !checkPlace(place)) return stop();
        }
        run_.report(100);
        return outcome_;
    }

private:
    CheckOutcome stop() {
        outcome_.stopped = true;
        return outcome_;
    }

    // Counts and logs a problem of the tree; false when the user ends the check.
    bool treeProblem(int error) {
        ++outcome_.problems;
        log_.line(texts::kCheckTreeProblem, number(error));
        return run_.yes(texts::kCheckTreeContinueQuestion, number(error));
    }

    bool checkTree() {
        CItemArray& tree = doc_.tree();
        int error = 0;
        tree.read([&](const Items& items) { error = linkErrorOf(items); });
        if (error && !treeProblem(error)) return false;
        int trashes = 0;
        for (int i = 0; i < tree.size(); ++i) {
            const CItem place = tree.item(i);
            int e = place.validatePlace();
            const int firstKind = place.m_nChild >= 0 ? tree.item(place.m_nChild).m_nKind : 0;
            if (!e && place.m_nKind >= 2 && place.m_nKind <= 8 && place.m_nChild >= 0) e = 500;
            if (!e && place.m_nKind == kind::kForum && place.m_nChild < 0 && !place.hasFlag(ITEM_FLAG_HIDDEN))
                e = 501;
            if (!e && place.m_nKind == kind::kForumArea && place.m_nChild >= 0 && firstKind != kind::kRoom &&
                firstKind != kind::kRoomGroup)
                e = 504;
            if (!e && place.m_nKind == kind::kLibraryArea && place.m_nChild >= 0 &&
                firstKind != kind::kLibrary && firstKind != kind::kRoomGroup)
                e = 505;
            if (e && !treeProblem(e)) return false;
            if (place.m_nKind == kind::kFavouriteEntry && tree.findSerial(place.m_nTarget) < 0 &&
                run_.yes(texts::kCheckFavouriteQuestion, place.m_szTitle.view())) {
                tree.remove(i--);
                ++outcome_.repaired;
            } else if (place.m_nKind == kind::kTrash && ++trashes > 1 &&
                       run_.yes(texts::kCheckTwoTrashesQuestion)) {
                bool empty = false;
                {
                    OpenedList list(doc_, i, false);
                    empty = list ? list->size() <= 1 : list.outcome() == ListLoad::Missing;
                }
                if (empty && doc_.discardList(i)) {
                    tree.remove(i--);
                    ++outcome_.repaired;
                } else {
                    run_.tell(texts::kCheckEmptyTrashFirst);
                }
            }
        }
        return true;
    }

    // False when the user ends the check.
    bool checkPlace(int place) {
        const CItem item = doc_.tree().item(place);
        if (!placeHoldsList(item.m_nKind)) return true;
        const auto names = placeFileNames(doc_.tree(), place);
        if (!names) return true;
        const std::string where = std::string(item.m_szTitle.view()) + " (" + names->list + ")";
        ListLoad load = ListLoad::Missing;
        CItemArray* list = doc_.openExistingList(place, false, &load);
        if (!list) {
            if (load != ListLoad::Damaged && load != ListLoad::Lost) return true;
            const int error = load == ListLoad::Damaged ? damagedListError(doc_.dataDirectory() / names->list)
                                                        : kUnreadableList;
            ++outcome_.problems;
            log_.line(texts::kCheckListProblemLog, where);
            log_.line(texts::kCheckErrorNumber, number(error));
            if (!run_.yes(texts::kCheckRepairQuestion, where, number(error))) return true;
            return repair(place);
        }
        const bool goOn = checkList(item.m_nKind, where, *list);
        doc_.closeList(list);
        return goOn;
    }

    bool repair(int place) {
        std::filesystem::path kept;
        const Repair result = RepairList(doc_, place, &kept);
        ++outcome_.repaired;
        const std::string path = kept.string();
        switch (result) {
            case Repair::Rebuilt:
                log_.line(texts::kCheckRepairedSaved, path);
                return run_.yes(texts::kCheckRebuiltContinue, path);
            case Repair::NotRebuilt:
                log_.line(texts::kCheckRepairedSaved, path);
                return run_.yes(texts::kCheckNotRebuiltContinue, path);
            case Repair::NoText:
                log_.line(texts::kCheckRepairedNoText);
                return run_.yes(texts::kCheckNoTextContinue);
        }
        return true;
    }

    bool listProblem(const std::string& where, int error) {
        ++outcome_.problems;
        log_.line(texts::kCheckListProblemLog, where);
        log_.line(texts::kCheckErrorNumber, number(error));
        return run_.yes(texts::kCheckListContinueQuestion, where, number(error));
    }

    bool checkList(int placeKind, const std::string& where, CItemArray& list) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(list.textFile(), ec);
        const std::int64_t textSize = ec ? 0 : static_cast<std::int64_t>(size);
        int error = 0;
        list.read([&](const Items& items) { error = linkErrorOf(items); });
        if (error && !listProblem(where, error)) return false;
        std::vector<int> beyondEnd, brokenShortcuts;
        for (int i = 0; i < list.size(); ++i) {
            const CItem m = list.item(i);
            int e = 0;
            if (i == 0) {
                e = m.m_nKind != kind::kListRoot ? 600 : 0;
            } else {
                e = m.validateMessage();
                if (!e) e = kindError(placeKind, m.m_nKind);
            }
            if (e && !listProblem(where, e)) return false;
            // In 64 bits: an offset and a length near the top of 32 bits must not wrap.
            if (i > 0 && m.m_nLength > 0 && m.m_nKind != kind::kShortcut && !keepsOwnText(m) &&
                std::int64_t{m.m_nOffset} + std::int64_t{m.m_nLength} > textSize)
                beyondEnd.push_back(m.m_nSerial);
            if (m.m_nKind == kind::kShortcut && !shortcutTargetExists(doc_, m)) {
                log_.line(texts::kCheckBrokenShortcutLog, m.m_szTitle.view());
                brokenShortcuts.push_back(m.m_nSerial);
            }
        }
        if (!beyondEnd.empty()) {
            ++outcome_.problems;
            log_.line(texts::kCheckListProblemLog, where);
            log_.line(texts::kCheckErrorNumber, number(609));
            if (run_.yes(texts::kCheckRepairQuestion, where, number(609))) {
                // The texts end where the file ends: what is there stays readable.
                for (const int serial : beyondEnd) {
                    const int i = list.findSerial(serial);
                    const std::int64_t offset = std::min<std::int64_t>(list.item(i).m_nOffset, textSize);
                    list.setOffset(i, static_cast<std::int32_t>(offset));
                    list.setLength(i, static_cast<std::int32_t>(textSize - offset));
                }
                if (list.save()) {
                    ++outcome_.repaired;
                    log_.line(texts::kCheckRepairedLength);
                }
            }
        }
        if (!brokenShortcuts.empty()) {
            const CItem first = list.item(list.findSerial(brokenShortcuts.front()));
            if (run_.yes(texts::kCheckBrokenShortcutQuestion, first.m_szTitle.view())) {
                std::vector<int> indices;
                for (const int serial : brokenShortcuts) indices.push_back(list.findSerial(serial));
                if (list.remove(indices)) outcome_.repaired += static_cast<int>(indices.size());
            }
        }
        return true;
    }

    CTolDoc& doc_;
    const ToolRun& run_;
    CheckLog log_;
    CheckOutcome outcome_;
};

}  // namespace

int listLinkError(const CItemArray& list) {
    int error = 0;
    list.read([&error](const Items& items) { error = linkErrorOf(items); });
    return error;
}

CheckOutcome CheckFiles(CTolDoc& doc, bool writeLog, const ToolRun& run) {
    return Checker(doc, writeLog, run).check();
}

namespace {

// A board's list rebuilt from its text: the new pair is written under temporary names,
// then handed over as a pending pair (store/pending_pair.h) that the next open puts in
// place. Whenever it stops, the old text is still where the check finds it again.
bool rebuildFromText(CTolDoc& doc, int place, const std::filesystem::path& listFile,
                     const std::filesystem::path& textFile, const std::filesystem::path& kept) {
    const CItem item = doc.tree().item(place);
    auto newList = listFile, newText = textFile;
    newList += ".NEW";
    newText += ".NEW";
    std::error_code ec;
    std::filesystem::remove(newList, ec);
    std::filesystem::remove(newText, ec);
    std::ifstream in(textFile, std::ios::binary);
    if (!in) return false;
    CItemArray rebuilt;
    rebuilt.setFiles(newList, newText);
    rebuilt.add(-1, 0, 0, listFile.filename().string(), item.m_szTitle.view(), kind::kListRoot, 0);
    LogCapture capture(rebuilt, item, doc.generation());
    std::string line;
    bool ok = true;
    while (ok && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ok = capture.feed(line);
    }
    if (!ok || !capture.finish() || capture.stored() == 0 || !rebuilt.save()) {
        std::filesystem::remove(newList, ec);
        std::filesystem::remove(newText, ec);
        return false;
    }
    std::filesystem::rename(newText, pendingPairPath(textFile), ec);
    // The old text stays under its kept name when the new one replaces it.
    if (!ec) std::filesystem::create_hard_link(textFile, kept, ec);
    if (!ec && std::filesystem::exists(listFile)) std::filesystem::rename(listFile, keptName(listFile, ".BAD"), ec);
    if (!ec) std::filesystem::rename(newList, pendingPairPath(listFile), ec);
    if (ec) {
        std::filesystem::remove(pendingPairPath(textFile), ec);
        return false;
    }
    OpenedList opened(doc, place, false);  // finishes the hand-over
    return static_cast<bool>(opened);
}

}  // namespace

Repair RepairList(CTolDoc& doc, int place, std::filesystem::path* keptText) {
    const auto names = placeFileNames(doc.tree(), place);
    if (!names) return Repair::NoText;
    const auto listFile = doc.dataDirectory() / names->list;
    const auto textFile = doc.dataDirectory() / names->text;
    std::error_code ec;
    if (!std::filesystem::exists(textFile, ec)) {
        // The damaged list is kept beside the others, in case something in it can be saved.
        if (std::filesystem::exists(listFile, ec)) std::filesystem::rename(listFile, keptName(listFile, ".BAD"), ec);
        return Repair::NoText;
    }
    const auto kept = keptName(textFile, ".OLD");
    if (keptText) *keptText = kept;
    const int kind = doc.tree().item(place).m_nKind;
    if ((kind == kind::kBoard || kind == kind::kClub || kind == kind::kCircle) &&
        rebuildFromText(doc, place, listFile, textFile, kept))
        return Repair::Rebuilt;
    // The list moves aside before the text: an interruption leaves a text without its list,
    // which the next check repairs again.
    if (std::filesystem::exists(listFile, ec)) std::filesystem::rename(listFile, keptName(listFile, ".BAD"), ec);
    std::filesystem::rename(textFile, kept, ec);
    if (ec) return Repair::NoText;
    std::filesystem::permissions(kept, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 ec);
    return Repair::NotRebuilt;
}

bool RebuildPlace(CTolDoc& doc, int place, const ToolRun& run) {
    if (!run.yes(texts::kRebuildQuestion, doc.tree().item(place).m_szTitle.view())) return false;
    std::filesystem::path kept;
    switch (RepairList(doc, place, &kept)) {
        case Repair::Rebuilt: run.tell(texts::kRebuildSucceeded, kept.string()); break;
        case Repair::NotRebuilt: run.tell(texts::kRebuildFailed, kept.string()); break;
        case Repair::NoText: run.tell(texts::kRebuildNoText); break;
    }
    return true;
}

}  // namespace morvaline
