// Uploads of a library section: the file, its document, its comment and its classification.
//
// The file goes first; the host then holds it under a registration number that its "DP"
// list shows. Once the host said "正常終了" the file is on the host: a later step that
// fails never leads to a second upload (the host would answer "登録済み" at every patrol).
// The item keeps the registration number (or kUploadedUnnumbered) in its target and stays
// reserved, and the next patrol takes up the steps that go by number: finding the number,
// the comment and the classification. The document goes only right after the file.

#include <filesystem>

#include "link/result_codes.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/engine/host_text.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/engine/outgoing_text.h"
#include "patrol/services/library/library_lines.h"
#include "patrol/services/library/library_service.h"
#include "patrol/services/library/library_texts.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/document.h"

namespace morvaline {
namespace {

// Bytes of the comment (the title) and of the long text typed at the classification's last
// question at most.
constexpr std::size_t kCommentBytes = 72;
constexpr std::size_t kLongTextBytes = 255;

}  // namespace

LibraryService::Step LibraryService::openRegistration(int section, bool* open) {
    const LibraryTexts& host = libraryTexts();
    *open = false;
    const CItem place = doc_.tree().item(section);
    std::string menu;
    bool entered = false;
    if (const Step step = enterSection(section, &menu, &entered); step != Step::Done || !entered) return step;
    std::optional<int> corner;
    for (const NumberedEntry& entry : menuEntries(menu)) {
        const std::string_view name = entry.text.substr(0, entry.text.find_first_of("\r\n"));
        if (entry.number && name.find(host.registrationEntry) != std::string_view::npos) corner = entry.number;
    }
    if (!corner) {
        engine_.events().report(texts::kUploadFailed, place.m_szTitle.view());
        return navigator_.leaveRoom() == result::Ok ? Step::Done : Step::Stopped;
    }
    engine_.Send(std::to_string(*corner) + "\r");
    std::string commands;
    if (engine_.WaitFor(menuTexts().promptOpen, false) != result::Ok ||
        engine_.CaptureUntil(menuTexts().promptEnd, commands) != result::Ok)
        return Step::Stopped;
    *open = true;
    return Step::Done;
}

LibraryService::Step LibraryService::leaveRegistration() {
    engine_.Send("F\r");
    navigator_.lost();
    return engine_.WaitForMenuPrompt() == result::Ok ? Step::Done : Step::Stopped;
}

LibraryService::Step LibraryService::UploadFile(int section, CItemArray& list, int index) {
    const LibraryTexts& host = libraryTexts();
    const CItem item = list.item(index);
    const std::string title = item.m_szTitle.str();
    // The file is opened by its own path; the host is told its upper-cased name.
    const std::filesystem::path local = item.m_strPath.str();
    std::error_code ec;
    if (item.m_nTarget == 0 && (local.empty() || !std::filesystem::is_regular_file(local, ec))) {
        engine_.events().report(texts::kUploadFailed, title);
        return Step::Done;
    }
    const std::string name = uploadName(utf8ToSjis(local.filename().string()));
    bool open = false;
    if (const Step step = openRegistration(section, &open); step != Step::Done || !open) return step;
    const auto stepFailed = [&](Went went) {
        if (went == Went::Stopped || engine_.result() != result::Ok) return Step::Stopped;
        engine_.events().report(texts::kUploadStepFailed, title);
        return leaveRegistration();
    };

    Went went = Went::Ok;
    if (item.m_nTarget == 0) {
        engine_.Send("2\r");
        const auto started = engine_.WaitForScreen(host.uploadStart);
        if (!started) return Step::Stopped;
        if (started.is(LibraryTexts::UploadStart::AskRegistrant)) {
            engine_.Send(doc_.userId() + "\r");
            if (engine_.WaitFor(host.startUpload, false) != result::Ok) return Step::Stopped;
        }
        (void)TransferFile(engine_, TransferRequest::upload(local.string(), name));
        const auto answered = engine_.WaitForScreen(host.uploaded);
        if (!answered || engine_.WaitForMenuPrompt() != result::Ok) return Step::Stopped;
        if (!answered.is(LibraryTexts::Uploaded::Done)) {
            engine_.events().report(texts::kUploadFailed, title);
            return leaveRegistration();
        }
        // On the host now: never sent again.
        list.setTarget(index, kUploadedUnnumbered);
        if (!list.save()) engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
        went = registerDocument(section, list, index, name);
        if (went != Went::Ok) return stepFailed(went);
    }
    int number = list.item(index).m_nTarget;
    if (number <= 0) {
        went = findRegistration(name, &number);
        if (went != Went::Ok) return stepFailed(went);
        if (number <= 0) return stepFailed(Went::Refused);
        list.setTarget(index, number);
    }
    went = writeComment(number, item);
    if (went == Went::Ok) went = classify(number, item);
    if (went == Went::Unconfirmed) {
        engine_.events().report(texts::kUploadFailed, title);
        return leaveRegistration();
    }
    if (went != Went::Ok) return stepFailed(went);
    list.setReserve(index, -1);
    list.setGeneration(index, doc_.generation());
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    engine_.events().report(texts::kFileUploaded, title);
    return leaveRegistration();
}

LibraryService::Went LibraryService::registerDocument(int section, CItemArray& list, int index,
                                                      const std::string& name) {
    const LibraryTexts& host = libraryTexts();
    engine_.Send("1\r");
    if (engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok) return Went::Stopped;
    if (engine_.SendEchoed(documentName(name)) != result::Ok) return Went::Stopped;
    engine_.Send("\r");
    if (!chooseRapidox() || engine_.WaitFor(host.documentAsk, false) != result::Ok)
        return Went::Stopped;
    // The document is recorded as the item's text as it goes.
    const std::optional<std::int64_t> start = list.appendText("");
    long long bytes = 0;
    const int lines = engine_.SendTextBody({section, index, list.item(index).m_szTitle.str()}, bytes);
    engine_.Send("..\r");
    if (engine_.WaitFor(host.confirmText, false) != result::Ok) return Went::Stopped;
    engine_.Send("Y\r");
    if (engine_.WaitFor(host.finishAsk, false) != result::Ok) return Went::Stopped;
    engine_.Send("N\r");
    if (engine_.WaitFor(host.documentMenu, false) != result::Ok) return Went::Stopped;
    engine_.Send("F\r");
    if (engine_.WaitFor(host.registrationMenu, false) != result::Ok) return Went::Stopped;
    if (start) {
        list.setOffset(index, static_cast<int>(*start));
        list.setLength(index, static_cast<int>(bytes));
        list.setBody(index, lines);
    }
    return Went::Ok;
}

LibraryService::Went LibraryService::findRegistration(const std::string& name, int* number) {
    const LibraryTexts& host = libraryTexts();
    *number = 0;
    engine_.Send("DP\r");
    const Waited<int> shown = engine_.WaitForAny({host.pendingHeading, menuTexts().promptEnd}, false);
    if (!shown) return Went::Stopped;
    if (shown.which() == 1) return Went::Refused;
    while (true) {
        std::string line;
        const Waited<LineRead> got = engine_.ReadLine(line, {host.registrationMenu});
        if (!got) return Went::Stopped;
        if (got.is(LineRead::Prompt)) return Went::Ok;
        if (const std::optional<int> found = pendingNumber(line, name)) *number = *found;
    }
}

LibraryService::Went LibraryService::writeComment(int number, const CItem& item) {
    const LibraryTexts& host = libraryTexts();
    engine_.Send("WC" + std::to_string(number) + "\r");
    const Waited<int> asked = engine_.WaitForAny({host.commentAsk, menuTexts().promptEnd}, false);
    if (!asked) return Went::Stopped;
    if (asked.which() == 1) return Went::Refused;
    const std::string comment = sjisBoundedCopy(hostField(item.m_szTitle.view()), kCommentBytes);
    if (engine_.SendEchoed(comment + "\r") != result::Ok ||
        engine_.WaitFor(host.commentConfirm, false) != result::Ok)
        return Went::Stopped;
    engine_.Send("Y\r");
    return engine_.WaitForMenuPrompt() == result::Ok ? Went::Ok : Went::Stopped;
}

LibraryService::Went LibraryService::classify(int number, const CItem& item) {
    const LibraryTexts& host = libraryTexts();
    // The classification menu's prompt offers "中止" and ends with "=".
    const auto backAtMenu = [&] {
        return engine_.WaitFor(host.cancelWord, false) == result::Ok && engine_.WaitFor("=", false) == result::Ok;
    };
    engine_.Send("CE" + std::to_string(number) + "\r");
    const Waited<int> opened = engine_.WaitForAny({menuTexts().promptEnd, host.cancelWord}, false);
    if (!opened) return Went::Stopped;
    if (opened.which() == 0) return Went::Refused;
    if (engine_.WaitFor("=", false) != result::Ok) return Went::Stopped;
    for (const ClassificationAnswer& answer : classificationAnswers(item.m_nSpare, item.m_strExtra.view())) {
        engine_.Send(std::to_string(answer.question) + "\r");
        if (engine_.WaitFor("=", false) != result::Ok) return Went::Stopped;
        engine_.Send(answer.answer + "\r");
        if (!backAtMenu()) return Went::Stopped;
    }
    const std::string longText = sjisBoundedCopy(hostField(item.m_strText.view()), kLongTextBytes);
    if (engine_.SendEchoed("10\r") != result::Ok || engine_.SendEchoed(longText + "\r") != result::Ok ||
        engine_.WaitFor("=", false) != result::Ok || engine_.SendEchoed("\r") != result::Ok || !backAtMenu())
        return Went::Stopped;
    // "99" registers; the host may ask again, a bounded number of times.
    for (int round = 0; round < kMaxConfirmRounds; ++round) {
        engine_.Send("99\r");
        Waited<int> got = engine_.WaitForAny({host.registerConfirm, host.registeredMenu, host.registeredReturn}, false);
        if (got && got.which() == 0) {
            engine_.Send("Y\r");
            got = engine_.WaitForAny({host.cancelWord, host.registeredMenu, host.registeredReturn}, false);
            if (got && got.which() == 0) {
                if (engine_.WaitFor("=", false) != result::Ok) return Went::Stopped;
                continue;
            }
        }
        if (!got) return Went::Stopped;
        if (got.which() == 2) engine_.Send("\r");
        const result::Code shown =
            got.which() == 2 ? engine_.WaitForMenuPrompt() : engine_.WaitFor(menuTexts().promptEnd, false);
        return shown == result::Ok ? Went::Ok : Went::Stopped;
    }
    // Never confirmed: the classification menu is left with "0".
    engine_.Send("0\r");
    return engine_.WaitForMenuPrompt() == result::Ok ? Went::Unconfirmed : Went::Stopped;
}

}  // namespace morvaline
