// The files of a library section: the file list, descriptions and downloads.
//
// Entries of the list become file items of the section's list, keyed by number: an entry
// with "." after its number is a file (kind -7), one without an entry of the second kind
// (kind -8). A description becomes the text of its item. A download whose host reached its
// download menu has used its reservation, whether the transfer then succeeds or not; the
// item's local path changes only when a file came whole.

#include <algorithm>

#include "link/result_codes.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/library/library_lines.h"
#include "patrol/services/library/library_service.h"
#include "patrol/services/library/library_texts.h"
#include "patrol/services/posting/post_writer.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

constexpr int kFileKind = kind::kLibraryFileLast;          // "." after the number
constexpr int kOtherEntryKind = kind::kLibraryFileLast - 1;  // a blank after the number

int findEntry(const CItemArray& list, int number) {
    const int file = list.findLastNumberKind(number, kFileKind);
    return file > 0 ? file : list.findLastNumberKind(number, kOtherEntryKind);
}

int highestEntry(const CItemArray& list) {
    int highest = 0;
    list.read([&](const auto& items) {
        for (const auto& item : items)
            if (item->m_nKind == kFileKind || item->m_nKind == kOtherEntryKind)
                highest = std::max(highest, item->m_nNumber);
    });
    return highest;
}

}  // namespace

LibraryService::Step LibraryService::openList(int section, bool* open) {
    const LibraryTexts& host = libraryTexts();
    *open = false;
    std::string menu;
    bool entered = false;
    if (const Step step = enterSection(section, &menu, &entered); step != Step::Done || !entered) return step;
    engine_.Send("2\r");
    const auto started = engine_.WaitForScreen(host.listStart);
    if (!started) return Step::Stopped;
    if (started.is(LibraryTexts::ListStart::NoData) || started.is(LibraryTexts::ListStart::Wrong)) {
        if (engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
        return navigator_.leaveRoom() == result::Ok ? Step::Done : Step::Stopped;
    }
    std::string commands;
    if (engine_.WaitFor(menuTexts().promptLine, false) != result::Ok ||
        engine_.CaptureUntil(menuTexts().promptEnd, commands) != result::Ok)
        return Step::Stopped;
    if (commands.find(host.backwardMode) != std::string::npos) {
        engine_.Send("RV\r");
        if (engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
    }
    *open = true;
    listOpen_ = section;
    return Step::Done;
}

LibraryService::Step LibraryService::leaveList() {
    listOpen_ = -1;
    engine_.Send("S\r");
    if (engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
    return navigator_.leaveRoom() == result::Ok ? Step::Done : Step::Stopped;
}

LibraryService::Step LibraryService::ReadFileList(int section) {
    OpenedList list(doc_, section);
    if (!list) return Step::Done;
    bool open = false;
    if (const Step step = openList(section, &open); step != Step::Done || !open) return step;
    const int first = highestEntry(*list) + 1;
    engine_.Send("TL" + std::to_string(first) + "\r");
    int pages = 1;
    while (true) {
        std::string line;
        const Waited<MenuRead> got = engine_.ReadMenuLine(line);
        if (!got) return Step::Stopped;
        if (got.is(MenuRead::LastPage)) break;
        if (got.is(MenuRead::MorePages)) {
            if (++pages > kMaxListPages) {
                engine_.events().report(texts::kListCutShort, std::to_string(kMaxListPages));
                break;
            }
            engine_.Send("N\r");
            if (engine_.WaitFor("\r\n", false) != result::Ok) return Step::Stopped;
            continue;
        }
        const std::optional<FileEntry> entry = parseFileEntry(line);
        if (!entry) continue;
        const int k = entry->dotted ? kFileKind : kOtherEntryKind;
        int index = findEntry(*list, entry->number);
        const bool added = index <= 0;
        if (added) index = list->add(0, entry->number, 0, entry->owner, entry->name, k, 0, entry->date);
        else if (list->item(index).m_nKind != k) list->setKind(index, k);
        list->setId(index, entry->owner);
        list->setTitle(index, entry->name);
        list->setName(index, entry->name);
        if (entry->date != 0) list->setDate(index, entry->date);
        list->setSize(index, entry->size);
        list->setRefCount(index, entry->access);
        if (added) list->setGeneration(index, doc_.generation());
        engine_.events().itemNotice(ItemNotice::of(added ? ItemChange::Added : ItemChange::Changed, *list, index));
    }
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
    return leaveList();
}

LibraryService::Step LibraryService::workReserved(int section) {
    OpenedList list(doc_, section, false);
    if (!list) return Step::Done;
    Step step = Step::Done;
    for (const int kindOf : {kFileKind, kOtherEntryKind}) {
        for (const int index : reservedItems(*list, kindOf, {kReserveDescription})) {
            if (engine_.result() != result::Ok || step != Step::Done) break;
            step = ReadDescription(section, *list, index);
        }
    }
    if (listOpen(section) && step == Step::Done) step = leaveList();
    for (const int kindOf : {kFileKind, kOtherEntryKind}) {
        for (const int index : reservedItems(*list, kindOf, {kReserveDownload})) {
            if (engine_.result() != result::Ok || step != Step::Done) break;
            step = DownloadFile(section, *list, index);
        }
    }
    for (const int index : reservedItems(*list, kind::kUpload, {kReservePost})) {
        if (engine_.result() != result::Ok || step != Step::Done) break;
        step = UploadFile(section, *list, index);
    }
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
    return engine_.result() == result::Ok ? step : Step::Stopped;
}

LibraryService::Step LibraryService::ReadDescription(int section, CItemArray& list, int index) {
    const LibraryTexts& host = libraryTexts();
    if (!listOpen(section)) {
        bool open = false;
        if (const Step step = openList(section, &open); step != Step::Done) return step;
        if (!open) return Step::Done;
    }
    const CItem item = list.item(index);
    engine_.Send("RB" + std::to_string(item.m_nNumber) + "\r");
    if (engine_.WaitFor("\r\n", false) != result::Ok || engine_.WaitFor("\r\n", false) != result::Ok)
        return Step::Stopped;
    std::string text;
    int lines = 0;
    bool missing = false;
    while (true) {
        std::string line;
        const Waited<LineRead> got = engine_.ReadLine(
            line, {host.readPrompts[0], host.readPrompts[1], host.readPrompts[2], host.readPrompts[3]});
        if (!got) return Step::Stopped;
        if (got.is(LineRead::Prompt)) break;
        if (line.find(host.noDocument) != std::string::npos || line.find(host.wrongCommand) != std::string::npos)
            missing = true;
        if (text.size() < CPatrolEngine::kCaptureLimit) {
            text += line + "\r\n";
            ++lines;
        }
    }
    list.setReserve(index, -1);
    if (missing || lines == 0) {
        engine_.events().report(texts::kNoDocumentFile, item.m_szTitle.view());
    } else if (const std::optional<std::int64_t> offset = list.appendText(text)) {
        list.setOffset(index, static_cast<int>(*offset));
        list.setLength(index, static_cast<int>(text.size()));
        list.setBody(index, lines);
        list.setFlags(index, ITEM_FLAG_READ, 0);
        list.setGeneration(index, doc_.generation());
    }
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    return Step::Done;
}

bool LibraryService::chooseRapidox() {
    const LibraryTexts& host = libraryTexts();
    int protocol = 2;  // when no line names Rapidox
    while (true) {
        std::string line;
        const Waited<LineRead> got = engine_.ReadLine(line, {host.protocolAsk});
        if (!got) return false;
        if (got.is(LineRead::Prompt)) break;
        if (line.find(host.rapidox) != std::string::npos)
            if (const std::optional<int> number = protocolNumber(line)) protocol = *number;
    }
    engine_.Send(std::to_string(protocol) + "\r");
    return engine_.result() == result::Ok;
}

LibraryService::Step LibraryService::DownloadFile(int section, CItemArray& list, int index) {
    const LibraryTexts& host = libraryTexts();
    const CItem item = list.item(index);
    bool open = false;
    if (const Step step = openList(section, &open); step != Step::Done) return step;
    if (!open) return Step::Done;
    engine_.Send("DL" + std::to_string(item.m_nNumber) + "\r");
    const auto offered = engine_.WaitForScreen(host.downloadOffer);
    if (!offered) return Step::Stopped;
    if (!offered.is(LibraryTexts::DownloadOffer::Menu)) {
        if (engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
        engine_.events().report(texts::kNoDownloadFile, item.m_szTitle.view());
        return leaveList();
    }
    // The host reached its download menu: the reservation has done its work.
    list.setReserve(index, -1);
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    engine_.Send("1\r");
    if (engine_.WaitFor(host.confirmJ, false) != result::Ok) return Step::Stopped;
    engine_.Send("Y\r");
    if (!chooseRapidox()) return Step::Stopped;
    if (engine_.WaitFor(menuTexts().startDownload, false) != result::Ok) return Step::Stopped;
    const FileTransferOutcome outcome = TransferFile(engine_, TransferRequest::download());
    if (engine_.WaitFor(menuTexts().pressReturn, false) != result::Ok) return Step::Stopped;
    engine_.Send("\r");
    if (engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
    // A batch brings several files: the first is the item's, the others are named.
    const std::string first = outcome.completePaths.empty() ? std::string() : outcome.completePaths.front();
    if (!outcome.succeeded() || first.empty()) {
        engine_.events().report(texts::kDownloadFailed, item.m_szTitle.view());
    } else if (first.size() > kMaxPath) {
        engine_.events().report(texts::kPathTooLong, utf8ToSjis(first));
    } else {
        list.setPath(index, first);
        list.setGeneration(index, doc_.generation());
        engine_.events().itemNotice(ItemNotice::of(ItemChange::FileTransferred, list, index));
        engine_.events().report(texts::kFileDownloaded, item.m_szTitle.view());
    }
    for (std::size_t i = 1; i < outcome.completePaths.size(); ++i)
        engine_.events().report(texts::kAlsoReceived, utf8ToSjis(outcome.completePaths[i]));
    engine_.Send("F\r");
    navigator_.lost();
    listOpen_ = -1;
    return engine_.WaitForMenuPrompt() == result::Ok ? Step::Done : Step::Stopped;
}

}  // namespace morvaline
