// Reading the mails reserved for it ("RB%d") and downloading the files of file mails
// ("DL%d"). A mail is stored as read only when the host showed it to the end; a mail read
// or downloaded in part keeps its reservation for the next patrol.

#include <limits>

#include "link/result_codes.h"
#include "patrol/engine/file_transfer.h"
#include "patrol/services/mail/mail_match.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/mail/mail_text.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/fetched_message.h"
#include "store/host_date.h"
#include "store/host_lines.h"

namespace morvaline {
namespace {

// Header lines before "文書名：" that a mail may have ("発信者：", "受信者：", "ファイル：" ...).
constexpr int kMaxHeaderLines = 16;

// True when the "文書名：" line names the mail of the listed title. The list shows a long
// subject cut short, so the listed title is a beginning of the header's.
bool sameTitle(std::string_view titleLine, std::size_t labelSize, std::string_view listed) {
    return trimHostText(titleLine.substr(labelSize)).starts_with(listed);
}

}  // namespace

bool MailService::readReservedMail(int place, int patternFlags) {
    if (!doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED)) return false;
    OpenedList list(doc_, place, false);
    if (!list) return false;
    bool fetched = false;
    bool numbersChecked = false;
    const int first = list->firstReserved();
    for (int i = first < 1 ? 1 : first; i < list->size() && engine_.result() == result::Ok; ++i) {
        CItem item = list->item(i);
        if (item.m_nKind != kind::kReceivedMailMessage) continue;
        if (item.m_nReserve != kReserveRead && item.m_nReserve != kReserveDownload) continue;
        if (item.hasFlag(ITEM_FLAG_SKIP_ONCE)) {
            list->setFlags(i, ITEM_FLAG_SKIP_ONCE, 0);
            continue;
        }
        if (!numbersChecked) {
            numbersChecked = true;
            if (!ensureFreshNumbers()) break;
            item = list->item(i);  // the listing may have given it another number
        }
        // A mail that has left the host cannot be fetched any more.
        if (item.m_nNumber <= 0 || item.hasFlag(ITEM_FLAG_DELETED)) {
            markDeleted(*list, i, place);
            continue;
        }
        const MailStep step = item.m_nReserve == kReserveRead
                                  ? readMail(*list, place, i, patternFlags)
                                  : downloadMail(*list, place, i, patternFlags);
        if (step == MailStep::Done) fetched = true;
        if (step == MailStep::Stopped) break;
    }
    saveList(*list);
    return fetched;
}

MailStep MailService::readMail(CItemArray& list, int place, int index, int patternFlags) {
    static const std::string kUnavailable = sj("現在このサービスはご利用できません。");
    static const std::string kTitleLabel = sj("文書名：");
    static const std::string kPromptMore =
        sj("番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=");
    static const std::string kPrompt = sj("番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=");
    const CItem item = list.item(index);
    const std::string number = std::to_string(item.m_nNumber);
    if (!EnterMailReader(false)) return MailStep::Stopped;
    engine_.Send("RB" + number + "\r");
    std::string skipped;
    std::string stamp;
    if (engine_.WaitFor("\n", false) < 0 || engine_.CaptureUntil("\r\n", skipped) < 0 ||
        engine_.CaptureUntil("\r\n", stamp) < 0)
        return MailStep::Stopped;
    if (stamp == kUnavailable) {
        (void)settle();
        return MailStep::Stopped;
    }

    // The header block: the stamp line, an empty line, then labelled lines up to "文書名：".
    std::vector<std::string> lines = {stamp, ""};
    bool headerComplete = false;
    for (int n = 0; n < kMaxHeaderLines && isMailListLine(stamp); ++n) {
        std::string line;
        if (engine_.CaptureUntil("\r\n", line) < 0) return MailStep::Stopped;
        lines.push_back(line);
        if (line.starts_with(kTitleLabel)) {
            headerComplete = true;
            break;
        }
    }
    // The listing's title must be the header's: otherwise the number names another mail.
    if (!headerComplete || !sameTitle(lines.back(), kTitleLabel.size(), item.m_szTitle.view())) {
        numbersFresh_ = false;
        engine_.events().report(texts::kMailNotRead, number);
        return settle() ? MailStep::Failed : MailStep::Stopped;
    }

    MailSender sender = parseSenderLine(lines[2]);
    if (sender.address.empty()) sender = {item.m_strText.str(), item.m_szName.str(), false};
    MailTextScan scan(sender.internet);
    for (const std::string& line : lines) scan.addLine(line);
    std::optional<MailFrom> from;
    int bodyLines = 0;
    for (;;) {
        std::string line;
        const int got = engine_.ReadLine(line, {kPromptMore, kPrompt});
        if (got < 0) {
            engine_.events().report(texts::kMailNotRead, number);
            return MailStep::Stopped;
        }
        if (got > 0) {
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
    if (const FileTime date = parseHostDate(mailListDate(stamp)); date != 0) read.m_ftDate = date;
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
    engine_.events().itemChanged(index, place);
    return MailStep::Done;
}

MailStep MailService::downloadMail(CItemArray& list, int place, int index, int patternFlags) {
    static const std::string kChooseWay = sj("番号またはコマンド(H,Q,C)=");
    static const std::string kPromptMore =
        sj("番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=");
    static const std::string kPrompt = sj("番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=");
    static const std::string kStart =
        sj("ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)");
    static const std::string kPressReturn = sj("リターンキーを押して下さい=");
    const CItem item = list.item(index);
    const std::string number = std::to_string(item.m_nNumber);
    if (!EnterMailReader(false)) return MailStep::Stopped;
    engine_.Send("DL" + number + "\r");
    const int offered = engine_.WaitForAny({kChooseWay, kPromptMore, kPrompt}, true);
    if (offered < 0) return MailStep::Stopped;
    if (offered != 0) {
        // The host offers no file for this number.
        numbersFresh_ = false;
        engine_.events().report(texts::kMailNotDownloaded, number);
        return MailStep::Failed;
    }
    engine_.Send("2\r");
    if (engine_.WaitFor(kStart, false) < 0) return MailStep::Stopped;
    const FileTransferOutcome outcome = TransferFile(engine_, TransferRequest::download());
    if (engine_.WaitFor(kPressReturn, true) < 0) return MailStep::Stopped;
    engine_.Send("\r");
    if (!settle()) return MailStep::Stopped;
    if (!outcome.succeeded()) {
        engine_.events().report(texts::kMailNotDownloaded, number);
        return MailStep::Failed;
    }
    list.setPath(index, outcome.receivedPath);
    list.setGeneration(index, doc_.generation());
    list.setReserve(index, (patternFlags & kDeleteAfterReading) ? kReserveDelete : -1);
    engine_.events().itemFileTransferred(index, place);
    return MailStep::Done;
}

}  // namespace morvaline
