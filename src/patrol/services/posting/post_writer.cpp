#include "patrol/services/posting/post_writer.h"

#include <algorithm>
#include <filesystem>

#include "link/result_codes.h"
#include "message/post_title.h"
#include "patrol/engine/outgoing_text.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

struct PostTexts {
    std::string confirm = sj("コマンド(H,Q,C,RB,G,V)=");  // "G" registers
    std::string cancelOnly = sj("番号またはコマンド(H,Q,C)=");
    enum class Asked { Confirm, CancelOnly };
    Screen<Asked, 2> asked{{{{confirm, true}, {cancelOnly, true}}}};
};

const PostTexts& postTexts() {
    static const PostTexts texts;
    return texts;
}

}  // namespace

std::vector<int> reservedItems(CItemArray& list, int kind, std::initializer_list<int> reservations) {
    std::vector<int> items;
    const int first = list.firstReserved();
    for (int i = first < 1 ? 1 : first; i < list.size(); ++i) {
        const CItem item = list.item(i);
        if (item.m_nKind != kind ||
            std::find(reservations.begin(), reservations.end(), item.m_nReserve) == reservations.end())
            continue;
        if (item.hasFlag(ITEM_FLAG_SKIP_ONCE)) {
            list.setFlags(i, ITEM_FLAG_SKIP_ONCE, 0);
            continue;
        }
        items.push_back(i);
    }
    return items;
}

std::string postTitle(const CItemArray& list, int index) { return hostField(postTitleLine(list.item(index))); }

PostEnd WritePost(CPatrolEngine& engine, CTolDoc& doc, CItemArray& list, int place, int index,
                  std::string_view after) {
    const CItem item = list.item(index);
    const std::string title = postTitle(list, index);
    // The text is recorded in the place's text file as it goes; a post that is not
    // registered takes it back.
    const std::optional<std::int64_t> start = list.appendText("");
    const auto takeBack = [&] {
        if (start) list.truncateText(*start);
    };
    engine.Send(title);
    engine.Send("\r");
    if (engine.WaitFor("\n", false) != result::Ok) {
        takeBack();
        return PostEnd::Stopped;
    }
    if (engine.settings().delayAfterCrMs > 0) engine.clock().sleepFor(engine.settings().delayAfterCrMs);
    long long bytes = 0;
    const int lines = engine.SendTextBody({place, index, item.m_szTitle.str()}, bytes);
    engine.Send("..\r");
    const auto answer = engine.WaitForScreen(postTexts().asked);
    if (answer) engine.Send(answer.is(PostTexts::Asked::Confirm) ? "G\r" : "C\r");
    if (!answer || engine.WaitFor(after, false) != result::Ok) {
        takeBack();
        engine.events().report(texts::kNotPosted, title);
        return PostEnd::Stopped;
    }
    if (answer.is(PostTexts::Asked::CancelOnly) || !start) {
        takeBack();
        engine.events().report(texts::kNotPosted, title);
        return PostEnd::Cancelled;
    }

    // Registered: the item becomes the place's record of what was posted.
    CItem posted = item;
    const std::string ownText = ownTextFileName(item);
    posted.m_nKind = kind::kForumMessage;
    posted.m_nNumber = 0;
    posted.m_nReserve = -1;
    posted.m_ftDate = fileTimeNow();
    posted.m_szID = doc.userId();
    posted.m_nOffset = static_cast<std::int32_t>(*start);
    posted.m_nLength = static_cast<std::int32_t>(bytes);
    posted.m_nBody = lines;
    posted.m_dwFlags |= ITEM_FLAG_READ;
    posted.m_nGeneration = doc.generation();
    using namespace copy;
    list.update(index, posted,
                kKind | kNumber | kReserve | kDate | kId | kOffset | kLength | kBody | kFlags | kGeneration);
    engine.events().itemNotice(ItemNotice::of(ItemChange::Changed, list, index));
    engine.events().report(texts::kPosted, title);
    if (!list.save()) {
        engine.events().report(texts::kListWriteFailed, list.listFile().filename().string());
        return PostEnd::Posted;
    }
    std::error_code ec;
    if (!ownText.empty()) std::filesystem::remove(doc.dataDirectory() / ownText, ec);
    return PostEnd::Posted;
}

}  // namespace morvaline
