// Reading the mails reserved for it ("RB%d") and downloading the files of file mails
// ("DL%d"). A mail is stored as read only when the host showed it to the end; a mail read
// or downloaded in part keeps its reservation for the next patrol. Before either, the
// header the host shows must carry the listed title, so that a number that has come to
// name another mail never fetches that one.

#include <limits>

#include "link/result_codes.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/mail/mail_header.h"
#include "patrol/services/mail/mail_match.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/mail/mail_text.h"
#include "patrol/services/mail/mail_texts.h"
#include "store/document.h"

namespace morvaline {
namespace {

// Reads a line of a shown mail, or the reader's prompt after it.
Waited<LineRead> readMailLine(CPatrolEngine& engine, std::string& line) {
    const MailTexts& t = mailTexts();
    return engine.ReadLine(line, {t.readerPromptMore, t.readerPrompt});
}

// A listing may be read again this often in one pass over the reserved mails when the
// host's numbers turned out to name other mails.
constexpr int kMaxRelistings = 2;

}  // namespace

bool MailService::readReservedMail(int place, int patternFlags) {
    if (!doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED)) return false;
    OpenedList list(doc_, place, false);
    if (!list) return false;
    bool fetched = false;
    int relistings = 0;
    const int first = list->firstReserved();
    for (int i = first < 1 ? 1 : first; i < list->size() && engine_.result() == result::Ok; ++i) {
        CItem item = list->item(i);
        if (item.m_nKind != kind::kReceivedMailMessage) continue;
        if (item.m_nReserve != kReserveRead && item.m_nReserve != kReserveDownload) continue;
        if (item.hasFlag(ITEM_FLAG_SKIP_ONCE)) {
            list->setFlags(i, ITEM_FLAG_SKIP_ONCE, 0);
            continue;
        }
        // Numbers from before a deletion, or found to name other mails, are listed anew.
        if (!numbersFresh_) {
            if (relistings++ == kMaxRelistings || !ensureFreshNumbers()) break;
            item = list->item(i);  // the listing may have given it another number
        }
        // A mail that has left the host cannot be fetched any more.
        if (item.m_nNumber <= 0 || item.hasFlag(ITEM_FLAG_DELETED)) {
            markDeleted(*list, i);
            continue;
        }
        const MailStep step = item.m_nReserve == kReserveRead
                                  ? readMail(*list, i, patternFlags)
                                  : downloadMail(*list, i, patternFlags);
        if (step == MailStep::Done) fetched = true;
        if (step == MailStep::Stopped) break;
    }
    saveList(*list);
    return fetched;
}

MailStep MailService::showMail(const CItem& item, std::optional<MailHeaderBlock>& header,
                               const Text& failure) {
    const std::string number = std::to_string(item.m_nNumber);
    if (!EnterMailReader(false)) return MailStep::Stopped;
    engine_.Send("RB" + number + "\r");
    std::string skipped;
    std::string first;
    if (engine_.WaitFor("\n", false) != result::Ok ||
        engine_.CaptureUntil("\r\n", skipped) != result::Ok ||
        engine_.CaptureUntil("\r\n", first) != result::Ok)
        return MailStep::Stopped;
    if (first == mailTexts().unavailable) {
        (void)settle();
        return MailStep::Stopped;
    }
    // The header block, as long as the host makes it; a prompt before its "文書名：" line
    // ends a display that is no mail.
    header.emplace(std::move(first));
    bool promptShown = false;
    while (!header->complete()) {
        std::string line;
        const Waited<LineRead> got = readMailLine(engine_, line);
        if (!got) return MailStep::Stopped;
        promptShown = got.is(LineRead::Prompt);
        if (promptShown) break;
        header->addLine(std::move(line));
    }
    // The listing's title must be the header's: otherwise the number names another mail.
    if (header->complete() && titleMatchesListed(header->title(), item.m_szTitle.view()))
        return MailStep::Done;
    numbersFresh_ = false;
    engine_.events().report(failure, number);
    return promptShown || skipMailText() ? MailStep::Failed : MailStep::Stopped;
}

bool MailService::skipMailText() {
    for (;;) {
        std::string line;
        const Waited<LineRead> got = readMailLine(engine_, line);
        if (!got.is(LineRead::Line)) return static_cast<bool>(got);
    }
}

MailStep MailService::readMail(CItemArray& list, int index, int patternFlags) {
    const CItem item = list.item(index);
    std::optional<MailHeaderBlock> header;
    const MailStep shown = showMail(item, header, texts::kMailNotRead);
    if (shown != MailStep::Done) return shown;
    const std::string number = std::to_string(item.m_nNumber);
    std::vector<std::string> lines = header->lines();

    MailSender sender = header->sender();
    if (sender.address.empty()) sender = {item.m_strText.str(), item.m_szName.str(), false};
    MailTextScan scan(sender.internet);
    for (const std::string& line : lines) scan.addLine(line);
    std::optional<MailFrom> from;
    int bodyLines = 0;
    for (;;) {
        std::string line;
        const Waited<LineRead> got = readMailLine(engine_, line);
        if (!got) {
            engine_.events().report(texts::kMailNotRead, number);
            return MailStep::Stopped;
        }
        if (got.is(LineRead::Prompt)) {
            if (!line.empty()) lines.push_back(line);
            break;
        }
        // The empty line after "文書名：" is the first line of the text; an internet mail's
        // "From:" is its fourth.
        if (++bodyLines == 4 && sender.internet) from = parseFromLine(line);
        scan.addLine(line);
        lines.push_back(std::move(line));
    }
    // The host ends the text with an empty line before its prompt.
    if (lines.back().empty() && lines.size() > 1) lines.pop_back();

    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    const std::optional<std::int64_t> offset = list.appendText(text);
    constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();
    if (!offset || *offset + static_cast<std::int64_t>(text.size()) > kMaxOffset) {
        if (offset) list.truncateText(*offset);
        engine_.events().report(texts::kListWriteFailed, list.textFile().filename().string());
        return MailStep::Stopped;
    }
    keepOwnKey(list, index);
    CItem read = item;
    read.m_nOffset = static_cast<std::int32_t>(*offset);
    read.m_nLength = static_cast<std::int32_t>(text.size());
    read.m_nBody = static_cast<std::int32_t>(lines.size());
    if (const FileTime date = header->date(); date != 0) read.m_ftDate = date;
    read.m_strText = from ? from->address : sender.address;
    read.m_szName = from ? from->name : sender.name;
    read.m_nGeneration = doc_.generation();
    read.m_dwFlags =
        (item.m_dwFlags & ~(ITEM_FLAG_INTERNET | ITEM_FLAG_MIME | ITEM_FLAG_UUENCODED)) |
        (sender.internet ? ITEM_FLAG_INTERNET : 0) | scan.flags();
    read.m_nReserve = (patternFlags & kDeleteAfterReading) ? kReserveDelete : -1;
    list.update(index, read,
                copy::kOffset | copy::kLength | copy::kBody | copy::kDate | copy::kText |
                    copy::kName | copy::kGeneration | copy::kFlags | copy::kReserve);
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    return MailStep::Done;
}

MailStep MailService::downloadMail(CItemArray& list, int index, int patternFlags) {
    const CItem item = list.item(index);
    const std::string number = std::to_string(item.m_nNumber);
    // The download screen names no mail: the number is checked by showing the mail first.
    std::optional<MailHeaderBlock> header;
    const MailStep shown = showMail(item, header, texts::kMailNotDownloaded);
    if (shown != MailStep::Done) return shown;
    if (!skipMailText()) return MailStep::Stopped;
    engine_.Send("DL" + number + "\r");
    const Waited<MailTexts::DownloadOffer> offered =
        engine_.WaitForScreen(mailTexts().downloadOffer);
    if (!offered) return MailStep::Stopped;
    if (!offered.is(MailTexts::DownloadOffer::ChooseWay)) {
        // The host offers no file for this number.
        numbersFresh_ = false;
        engine_.events().report(texts::kMailNotDownloaded, number);
        return MailStep::Failed;
    }
    engine_.Send("2\r");
    if (engine_.WaitFor(menuTexts().startDownload, false) != result::Ok) return MailStep::Stopped;
    const FileTransferOutcome outcome = TransferFile(engine_, TransferRequest::download());
    if (engine_.WaitFor(menuTexts().pressReturn, true) != result::Ok) return MailStep::Stopped;
    engine_.Send("\r");
    if (!settle()) return MailStep::Stopped;
    if (!outcome.succeeded()) {
        engine_.events().report(texts::kMailNotDownloaded, number);
        return MailStep::Failed;
    }
    list.setPath(index, outcome.receivedPath);
    list.setGeneration(index, doc_.generation());
    list.setReserve(index, (patternFlags & kDeleteAfterReading) ? kReserveDelete : -1);
    engine_.events().itemNotice(ItemNotice::of(ItemChange::FileTransferred, list, index));
    return MailStep::Done;
}

}  // namespace morvaline
