#include "patrol/services/posting/posting_service.h"

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/path/go_by_path.h"
#include "patrol/services/posting/post_writer.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "store/outgoing_mail.h"

namespace morvaline {

PostingService::PostingService(CPatrolEngine& engine, CTolDoc& doc) : engine_(engine), doc_(doc) {}

bool PostingService::serves(int kind) const { return kind == kind::kSentMail; }

void PostingService::reach(int place, PatrolWalk& /*walk*/) {
    const CItem item = doc_.tree().item(place);
    if (item.m_szID == "MAIL" || !item.hasFlag(ITEM_FLAG_HAS_RESERVED)) return;
    PostToPlace(place);
}

void PostingService::PostToPlace(int place) {
    OpenedList list(doc_, place, false);
    if (!list) return;
    const std::string name = doc_.tree().item(place).m_szTitle.str();
    bool greeted = false;
    for (const int index : reservedItems(*list, kind::kComment, {kReservePost})) {
        if (engine_.result() != result::Ok) break;
        // Each post goes the whole way: after one the host stands at the place's prompt.
        const ScreenReached reached = GoByPath(engine_, doc_.tree(), place, PathEnd::TextEntry);
        if (reached.code != result::Ok) {
            if (reached.code == result::PlaceFailed) engine_.events().report(texts::kPlaceNotReached, name);
            break;
        }
        if (!greeted) engine_.events().report(texts::kMovedToPlace, name);
        greeted = true;
        if (WritePost(engine_, doc_, *list, place, index, menuTexts().promptEnd) == PostEnd::Stopped) break;
    }
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
}

}  // namespace morvaline
