#include "store/outgoing_mail.h"

#include <cstdio>
#include <filesystem>

#include "platform/atomic_file.h"
#include "store/document.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

// The editor keeps lines separated by LF alone.
std::string editorText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

constexpr std::uint32_t kOwnItemMask = copy::kNumber | copy::kKind | copy::kReserve | copy::kAux |
                                       copy::kFlags | copy::kDate | copy::kTitle | copy::kName |
                                       copy::kText | copy::kPath | copy::kTarget;

}  // namespace

int findOutgoingMailPlace(const CItemArray& tree) {
    for (int i = 0; i < tree.size(); ++i) {
        const CItem place = tree.item(i);
        if (place.m_nKind == kind::kSentMail && place.m_szID == "MAIL") return i;
    }
    return -1;
}

int findTemplatePlace(const CItemArray& tree) {
    return tree.findKind(kind::kTemplates);
}

bool hasOwnTextFile(const CItem& item) {
    return item.m_nKind == kind::kTemplate || kind::isOutgoing(item.m_nKind, item.m_dwFlags);
}

std::string ownTextFileName(const CItem& item) {
    if (item.m_nNumber <= 0) return {};
    char name[32];
    std::snprintf(name, sizeof name, item.m_nKind == kind::kTemplate ? "~T%06d.MSG" : "~C%06d.MSG",
                  item.m_nNumber);
    return name;
}

int writeOwnText(CTolDoc& doc, bool isTemplate, std::string_view text, std::string* error) {
    CItem probe;
    probe.m_nKind = isTemplate ? kind::kTemplate : kind::kNewMail;
    probe.m_nNumber = doc.nextFileNumber(isTemplate ? FileCounter::T : FileCounter::C);
    if (probe.m_nNumber == 0) {
        *error = "no free number for a text file";
        return 0;
    }
    std::string failure;
    if (!writeFileAtomically(doc.dataDirectory() / ownTextFileName(probe), editorText(text),
                             &failure)) {
        *error = "cannot write " + ownTextFileName(probe) + ": " + failure;
        return 0;
    }
    return probe.m_nNumber;
}

void removeOwnText(CTolDoc& doc, const CItem& item) {
    const std::string name = ownTextFileName(item);
    if (name.empty()) return;
    std::error_code ec;
    std::filesystem::remove(doc.dataDirectory() / name, ec);
}

int addOwnItem(CTolDoc& doc, CItemArray& list, const CItem& item, std::string* error,
               int parent) {
    const int index = list.addCopy(parent, item, kOwnItemMask);
    if (list.save()) return index;
    list.remove(index);
    removeOwnText(doc, item);
    *error = "cannot write " + list.listFile().string();
    return -1;
}

bool linkToSource(CTolDoc& doc, CItemArray& source, int sourceIndex, int sourcePlace,
                  CItemArray& list, int index, int place, std::string_view title,
                  std::string* error) {
    const int shortcut = source.add(sourceIndex, doc.tree().item(place).m_nSerial,
                                    list.item(index).m_nSerial, "", title, kind::kShortcut, 0);
    list.setRefCount(index, source.item(shortcut).m_nSerial);
    list.setTarget(index, doc.tree().item(sourcePlace).m_nSerial);
    if (!source.save() || !list.save()) {
        *error = "cannot write the lists of " + list.listFile().string();
        return false;
    }
    return true;
}

std::vector<std::string> attachedFiles(const CItem& item) {
    std::vector<std::string> paths;
    const std::string all = item.m_strPath.str();
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = std::min(all.find('\n', start), all.size());
        if (end > start) paths.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

bool findForwardedMail(CTolDoc& doc, const CItem& forward, int& place, int& index) {
    place = doc.tree().findSerial(forward.m_nTarget);
    if (place < 0) return false;
    OpenedList list(doc, place);
    if (!list) return false;
    const int shortcut = list->findSerial(forward.m_nRefCount);
    if (shortcut <= 0 || list->item(shortcut).m_nKind != kind::kShortcut) return false;
    index = list->item(shortcut).m_nParent;
    return list->valid(index) && list->item(index).m_nKind == kind::kReceivedMailMessage;
}

}  // namespace morvaline
