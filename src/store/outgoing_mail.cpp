#include "store/outgoing_mail.h"

#include <cstdio>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"

namespace morvaline {
namespace {

// Template slots of the document, by use.
constexpr std::size_t kSendTemplateSlot = 0;
constexpr std::size_t kForwardTemplateSlot = 2;
constexpr std::uint32_t kForwardFlags = 0x12;

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

// The template a new text starts from: the place's own choice, else the document's slot.
int templateFor(const CTolDoc& doc, int placeChoice, std::size_t slot) {
    const int chosen = placeChoice != 0 ? placeChoice : doc.templateSlots().at(slot).first;
    return chosen < 0 ? 0 : chosen;
}

// The handle kept on the outgoing-mail place, else the user's.
std::string handleOf(const CTolDoc& doc, const CItem& place) {
    return place.m_szName.empty() ? doc.string(docstr::kHandle) : place.m_szName.str();
}

// Writes the text file of a new item; its number, or 0 with *error set.
int writeOwnText(CTolDoc& doc, std::string_view text, std::string* error) {
    const int number = doc.nextFileNumber(FileCounter::C);
    if (number == 0) {
        *error = "no free number for a text file";
        return 0;
    }
    CItem probe;
    probe.m_nNumber = number;
    std::string failure;
    if (!writeFileAtomically(doc.dataDirectory() / ownTextFileName(probe), editorText(text),
                             &failure)) {
        *error = "cannot write " + ownTextFileName(probe) + ": " + failure;
        return 0;
    }
    return number;
}

void removeOwnText(CTolDoc& doc, int number) {
    CItem probe;
    probe.m_nNumber = number;
    std::error_code ec;
    std::filesystem::remove(doc.dataDirectory() / ownTextFileName(probe), ec);
}

constexpr std::uint32_t kOutgoingMask = copy::kNumber | copy::kKind | copy::kReserve | copy::kAux |
                                        copy::kFlags | copy::kDate | copy::kTitle | copy::kName |
                                        copy::kText | copy::kPath;

// Adds the item and saves the list; -1 (with the item and its text taken back) when the
// list cannot be saved.
int addAndSave(CTolDoc& doc, CItemArray& list, const CItem& item, std::string* error) {
    const int index = list.addCopy(0, item, kOutgoingMask);
    if (list.save()) return index;
    list.remove(index);
    removeOwnText(doc, item.m_nNumber);
    *error = "cannot write " + list.listFile().string();
    return -1;
}

}  // namespace

int findOutgoingMailPlace(const CItemArray& tree) {
    for (int i = 0; i < tree.size(); ++i) {
        const CItem place = tree.item(i);
        if (place.m_nKind == kind::kSentMail && place.m_szID == "MAIL") return i;
    }
    return -1;
}

std::string ownTextFileName(const CItem& item) {
    if (item.m_nNumber <= 0) return {};
    char name[32];
    std::snprintf(name, sizeof name, item.m_nKind == kind::kTemplate ? "~T%06d.MSG" : "~C%06d.MSG",
                  item.m_nNumber);
    return name;
}

int NewMail(CTolDoc& doc, const NewMailRequest& request, std::string* error) {
    const int placeIndex = findOutgoingMailPlace(doc.tree());
    if (placeIndex < 0) {
        *error = "the data set has no outgoing-mail place";
        return -1;
    }
    OpenedList list(doc, placeIndex);
    if (!list) {
        *error = "the list of the outgoing-mail place cannot be opened";
        return -1;
    }
    const CItem place = doc.tree().item(placeIndex);
    const bool fileMail = !request.filePath.empty();
    const int number = writeOwnText(doc, request.text, error);
    if (number == 0) return -1;

    CItem item(0, number, 0, "", request.title.empty() ? sj("新しいﾒｰﾙ") : request.title,
               fileMail ? kind::kFileMail : kind::kNewMail, 0, fileTimeNow(), handleOf(doc, place));
    item.m_strText = request.recipients;
    item.m_dwFlags = fileMail ? ITEM_FLAG_READ | ITEM_FLAG_FILE_MAIL : ITEM_FLAG_READ;
    item.m_nReserve = request.reserve ? kReserveSend : kReserveBeingWritten;
    // A file mail is no text to start from a template.
    item.m_nAux = fileMail ? 0 : templateFor(doc, place.m_nExtra1, kSendTemplateSlot);
    item.m_strPath = request.filePath;
    return addAndSave(doc, *list, item, error);
}

int ForwardMail(CTolDoc& doc, const ForwardRequest& request, std::string* error) {
    const int placeIndex = findOutgoingMailPlace(doc.tree());
    if (placeIndex < 0) {
        *error = "the data set has no outgoing-mail place";
        return -1;
    }
    OpenedList source(doc, request.sourcePlace);
    if (!source || !source->valid(request.sourceIndex) ||
        source->item(request.sourceIndex).m_nKind != kind::kReceivedMailMessage) {
        *error = "only a received mail can be forwarded";
        return -1;
    }
    OpenedList list(doc, placeIndex);
    if (!list) {
        *error = "the list of the outgoing-mail place cannot be opened";
        return -1;
    }
    const CItem mail = source->item(request.sourceIndex);
    const CItem place = doc.tree().item(placeIndex);
    const CItem sourcePlace = doc.tree().item(request.sourcePlace);
    const int number = writeOwnText(doc, request.text, error);
    if (number == 0) return -1;

    CItem item(0, number, 0, "", request.title.empty() ? mail.m_szTitle.view() : request.title,
               kind::kForwardMail, 0, fileTimeNow(), handleOf(doc, place));
    item.m_strText = request.recipients;
    item.m_dwFlags = kForwardFlags;
    item.m_nReserve = request.reserve ? kReserveSend : -1;
    item.m_nAux = templateFor(doc, sourcePlace.m_nAux, kForwardTemplateSlot);
    const int index = addAndSave(doc, *list, item, error);
    if (index < 0) return -1;

    const int shortcut =
        source->add(request.sourceIndex, place.m_nSerial, list->item(index).m_nSerial, "",
                    sj("転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ"), kind::kShortcut, 0);
    list->setRefCount(index, source->item(shortcut).m_nSerial);
    list->setTarget(index, sourcePlace.m_nSerial);
    if (!source->save() || !list->save()) {
        *error = "cannot write the lists of the forward";
        return -1;
    }
    return index;
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
