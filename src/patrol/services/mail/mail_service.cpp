#include "patrol/services/mail/mail_service.h"

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/mail/mail_texts.h"
#include "store/document.h"

namespace morvaline {

MailService::MailService(CPatrolEngine& engine, CTolDoc& doc) : engine_(engine), doc_(doc) {}

void MailService::greet(Animation animation) {
    if (!mailGreeted_) {
        mailGreeted_ = true;
        engine_.events().report(texts::kMovedToMail);
    }
    engine_.events().activity(animation);
}

bool MailService::settle() {
    return engine_.WaitForMenuPrompt() == result::Ok;
}

void MailService::markDeleted(CItemArray& list, int index) {
    list.setFlags(index, ITEM_FLAG_DELETED, ITEM_FLAG_DELETED);
    list.setNumber(index, 0);
    const int reserve = list.item(index).m_nReserve;
    if (reserve == kReserveRead || reserve == kReserveDownload || reserve == kReserveDelete)
        list.setReserve(index, -1);
    engine_.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
}

void MailService::saveList(CItemArray& list) {
    if (list.dirty() && !list.save())
        engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
}

MailStep MailService::deleteOnHost(const std::string& command, bool& confirmed) {
    const MailTexts& t = mailTexts();
    if (engine_.SendEchoed(command + "\r") != result::Ok) return MailStep::Stopped;
    const Waited<MailTexts::DeleteAnswer> answer = engine_.WaitForScreen(t.deleteAnswer);
    if (!answer) return MailStep::Stopped;
    if (answer.is(MailTexts::DeleteAnswer::WrongCommand))
        return settle() ? MailStep::Failed : MailStep::Stopped;
    engine_.Send("Y\r");
    std::string said;
    if (engine_.CaptureUntil(menuTexts().promptLine, said) != result::Ok ||
        engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok)
        return MailStep::Stopped;
    confirmed = said.find(t.deleted) != std::string::npos;
    return MailStep::Done;
}

bool MailService::EnterMailReader(bool force) {
    if (inMailReader_ && !force) return true;
    if (engine_.SendEchoed("JREAD\r") != result::Ok) return false;
    const Waited<MailTexts::ReaderEntry> shown = engine_.WaitForScreen(mailTexts().readerEntry);
    if (!shown || !settle()) return false;
    inMailReader_ = shown.is(MailTexts::ReaderEntry::List);
    if (inMailReader_) greet(Animation::ReadingMail);
    return inMailReader_;
}

std::vector<int> MailService::mailPlaces() const {
    const CItemArray& tree = doc_.tree();
    std::vector<int> places;
    for (int i = 0; i < tree.size(); ++i) {
        const CItem place = tree.item(i);
        if (place.m_nKind == kind::kReceivedMail && !place.hasFlag(ITEM_FLAG_HIDDEN))
            places.push_back(i);
    }
    for (int i = 0; i < tree.size(); ++i)
        if (tree.item(i).m_nKind == kind::kMailFolder) places.push_back(i);
    return places;
}

std::vector<MailService::PlaceList> MailService::openLists(const std::vector<int>& places,
                                                           bool create) const {
    std::vector<PlaceList> lists;
    for (const int place : places) {
        auto list = std::make_unique<OpenedList>(doc_, place, create);
        if (*list) lists.push_back({place, std::move(list)});
    }
    return lists;
}

bool MailService::ensureFreshNumbers() {
    if (numbersFresh_) return true;
    int place = listedPlace_;
    if (place < 0) {
        const std::vector<int> places = mailPlaces();
        if (places.empty() || doc_.tree().item(places.front()).m_nKind != kind::kReceivedMail)
            return false;
        place = places.front();
    }
    readMailList(place, readUnread_);
    return numbersFresh_;
}

bool MailService::hasReservedMail(int place) {
    // Mail folders hold mails of the same mailbox: their reservations need the list too.
    std::vector<int> places = {place};
    for (const int folder : mailPlaces())
        if (doc_.tree().item(folder).m_nKind == kind::kMailFolder) places.push_back(folder);
    for (const int p : places) {
        if (!doc_.tree().item(p).hasFlag(ITEM_FLAG_HAS_RESERVED)) continue;
        OpenedList list(doc_, p, false);
        if (!list) continue;
        bool reserved = false;
        list->read([&](const std::vector<std::unique_ptr<CItem>>& items) {
            for (const auto& item : items) {
                const int r = item->m_nReserve;
                if (item->m_nKind == kind::kReceivedMailMessage &&
                    (r == kReserveRead || r == kReserveDownload || r == kReserveDelete)) {
                    reserved = true;
                    return;
                }
            }
        });
        if (reserved) return true;
    }
    return false;
}

void MailService::mailPassOver() {
    // Every step saves the lists it changed; nothing is left to tidy.
}

}  // namespace morvaline
