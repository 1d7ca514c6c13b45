#include "patrol/services/mail/mail_writer.h"

#include <algorithm>
#include <filesystem>

#include "link/result_codes.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/mail/mail_texts.h"
#include "platform/text_lines.h"
#include "store/document.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

long long recordedSize(const std::vector<std::string>& lines) {
    long long size = 0;
    for (const std::string& line : lines) size += static_cast<long long>(line.size()) + 2;
    return size;
}

// Cancels the text entry the host is in ("C" at its edit prompt).
bool cancelText(CPatrolEngine& engine) {
    engine.Send("C\r");
    return engine.WaitFor(mailTexts().donePrompt, true) == result::Ok;
}

}  // namespace

Addressee askAddressee(CPatrolEngine& engine, const std::string& address, std::string& answer) {
    const MailTexts& t = mailTexts();
    if (!address.starts_with("INET#") && address.find('@') != std::string::npos)
        engine.Send("INET#");
    if (engine.SendEchoed(address + "\r") != result::Ok ||
        engine.WaitFor("\r\n", false) != result::Ok)
        return Addressee::RunOver;
    if (!engine.WaitForScreen(t.afterAddressee, &answer) ||
        engine.WaitFor(menuTexts().promptEnd, false) != result::Ok)
        return Addressee::RunOver;
    if (answer.find(t.addresseeRefused) != std::string::npos) return Addressee::Refused;
    if (answer.find(t.absentId) != std::string::npos && answer.find(t.absent) != std::string::npos)
        return Addressee::Absent;
    return Addressee::Accepted;
}

std::vector<std::string> absenceNotice(std::string_view answer) {
    const std::vector<std::string> lines = splitTextLines(answer);
    const auto it = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(mailTexts().absent) != std::string::npos;
    });
    std::vector<std::string> notice(it == lines.end() ? it : it + 1, lines.end());
    if (!notice.empty() && notice.front().empty()) notice.erase(notice.begin());
    while (!notice.empty() && notice.back().empty()) notice.pop_back();
    return notice;
}

void storeAbsenceNotice(CPatrolEngine& engine, int generation, CItemArray& list,
                        const std::string& address, const std::vector<std::string>& notice) {
    std::string text;
    for (const std::string& line : notice) text += line + "\r\n";
    const std::optional<std::int64_t> offset = list.appendText(text);
    if (!offset) {
        engine.events().report(texts::kListWriteFailed, list.textFile().filename().string());
        return;
    }
    CItem item(0, 0, static_cast<int>(*offset), "", mailTexts().absenceTitle, kind::kAbsenceNotice,
               static_cast<int>(notice.size()), fileTimeNow());
    item.m_nLength = static_cast<std::int32_t>(text.size());
    item.m_strText = address;
    item.m_nGeneration = generation;
    using namespace copy;
    const int added = list.addCopy(
        0, item, kOffset | kLength | kBody | kKind | kDate | kTitle | kText | kGeneration);
    engine.events().itemNotice(ItemNotice::of(ItemChange::Added, list, added));
}

std::optional<SentRecord> sendText(CPatrolEngine& engine, CItemArray& list, int place, int index,
                                   const std::string& titleLine, const OutgoingText& text,
                                   const std::vector<std::string>& appended) {
    const MailTexts& t = mailTexts();
    engine.Send("\r");
    const Waited<MailTexts::TextEntry> entry = engine.WaitForScreen(t.textEntryStart);
    if (!entry.is(MailTexts::TextEntry::Started)) {
        if (entry.is(MailTexts::TextEntry::BackAtPrompt)) {
            // Back at an addressee prompt: no addressee was taken after all.
            engine.events().report(texts::kNotSentToAll);
            engine.Send("M\r");
            (void)engine.WaitForMenuPrompt();  // what comes next needs no host
        }
        return std::nullopt;
    }
    engine.Send(titleLine + "\r");
    if (engine.WaitFor("\n", false) != result::Ok) return std::nullopt;
    if (engine.settings().delayAfterCrMs > 0)
        engine.clock().sleepFor(engine.settings().delayAfterCrMs);
    // The sent item's text begins at the end of the place's text file.
    const std::optional<std::int64_t> offset = list.appendText("");
    SentRecord record;
    bool complete = offset.has_value();
    if (complete) {
        record.offset = *offset;
        const CItem item = list.item(index);
        record.lines =
            engine.SendTextBody(ReservedText{place, index, item.m_szName.str()}, record.bytes);
        complete = record.lines == static_cast<int>(text.lines.size()) &&
                   record.bytes == recordedSize(text.lines);
        for (const std::string& line : appended) {
            if (!complete || engine.result() != result::Ok) break;
            complete = list.appendText(line + "\r\n").has_value();
            if (complete) {
                engine.Send(line + "\r");
                complete = engine.WaitFor("\n", false) == result::Ok;
            }
            record.bytes += static_cast<long long>(line.size()) + 2;
            ++record.lines;
        }
        // Everything sent must be in the text file, and nothing else.
        const std::optional<std::int64_t> end = list.appendText("");
        complete = complete && end && *end == *offset + record.bytes;
    } else {
        engine.events().report(texts::kCannotOpenFile, list.textFile().filename().string());
    }
    engine.Send("..\r");
    if (engine.WaitFor(t.editPrompt, true) == result::Ok) {
        if (complete) {
            engine.Send("G\r");
            const Waited<MailTexts::AfterSend> sent = engine.WaitForScreen(t.afterSend);
            if (sent.is(MailTexts::AfterSend::Sent)) {
                record.flags = ITEM_FLAG_READ | (text.attachment ? ITEM_FLAG_UUENCODED : 0);
                return record;
            }
            if (sent.is(MailTexts::AfterSend::StillEditing)) cancelText(engine);
        } else {
            cancelText(engine);
        }
    }
    if (offset) list.truncateText(*offset);
    return std::nullopt;
}

MailStep uploadFile(CPatrolEngine& engine, const std::string& title, const std::string& path) {
    const MailTexts& t = mailTexts();
    // A binary file, by Rapidox.
    for (const char* command : {"UP\r", "2\r"}) {
        engine.Send(command);
        if (engine.WaitForMenuPrompt() != result::Ok) return MailStep::Stopped;
    }
    engine.Send("2\r");
    if (engine.WaitFor(">", false) != result::Ok) return MailStep::Stopped;
    engine.Send(title + "\r");
    if (engine.WaitFor(t.confirm, true) != result::Ok) return MailStep::Stopped;
    engine.Send("Y\r");
    if (engine.WaitFor(menuTexts().startUpload, false) != result::Ok) return MailStep::Stopped;
    const FileTransferOutcome outcome = TransferFile(engine, TransferRequest::upload(path));
    const Prompt done[] = {{t.donePrompt, true}};
    std::string said;
    if (!engine.WaitForPrompts(done, &said)) return MailStep::Stopped;
    return outcome.succeeded() && said.find(t.transferBroken) == std::string::npos
               ? MailStep::Done
               : MailStep::Failed;
}

MailStep forwardFile(CPatrolEngine& engine, const std::string& title) {
    const MailTexts& t = mailTexts();
    engine.Send("\r");
    if (engine.WaitFor(">", false) != result::Ok) return MailStep::Stopped;
    engine.Send(title + "\r");
    if (engine.WaitFor("\n" + t.confirm, true) != result::Ok) return MailStep::Stopped;
    engine.Send("Y\r");
    return engine.WaitFor(t.donePrompt, true) != result::Ok ? MailStep::Stopped : MailStep::Done;
}

void finishSent(CPatrolEngine& engine, CTolDoc& doc, CItemArray& list, int index,
                const SentRecord& record) {
    CItem sent = list.item(index);
    const std::string ownText = ownTextFileName(sent);
    sent.m_nKind = record.kind;
    sent.m_nReserve = -1;
    sent.m_ftDate = fileTimeNow();
    sent.m_nOffset = static_cast<std::int32_t>(record.offset);
    sent.m_nLength = static_cast<std::int32_t>(record.bytes);
    sent.m_nBody = record.lines;
    sent.m_dwFlags = (sent.m_dwFlags & ~ITEM_FLAG_BEING_SENT) | record.flags;
    sent.m_nGeneration = doc.generation();
    using namespace copy;
    list.update(index, sent,
                kKind | kReserve | kDate | kOffset | kLength | kBody | kFlags | kGeneration);
    engine.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    engine.events().report(texts::kMailSent, sent.m_szTitle.view());
    if (!list.save()) {
        engine.events().report(texts::kListWriteFailed, list.listFile().filename().string());
        return;
    }
    std::error_code ec;
    if (!ownText.empty()) std::filesystem::remove(doc.dataDirectory() / ownText, ec);
}

}  // namespace morvaline
