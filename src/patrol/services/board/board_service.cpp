#include "patrol/services/board/board_service.h"

#include <algorithm>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/services/board/board_lines.h"
#include "patrol/services/forum/forum_texts.h"
#include "patrol/services/forum/message_reader.h"
#include "patrol/services/path/go_by_path.h"
#include "patrol/services/posting/post_writer.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/forum_rooms.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

// What the club menu answers to a club's or circle's code.
struct ClubTexts {
    std::string clubCodeAsk = sj("クラブコード：");
    std::string circleCodeAsk = sj("サークルコード：");
    std::string entered[3] = {sj("番号またはコマンド(M,F,H,Q,J)="), sj("番号またはコマンド(M,S,F,H,Q,SCm,J)="),
                              sj("番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)=")};
    std::string password = "PASSWORD:";
    std::string refused[5] = {sj("パスワードが間違っています。訂正して下さい。"),
                              sj("申し訳ございませんが御利用できません。"), sj("未契約の為御利用出来ません。"),
                              sj("クラブコードが間違っています。訂正して下さい。"),
                              sj("サークルコードが間違っています。訂正して下さい。")};
    enum class Shown { Entered1, Entered2, Entered3, Password, Refused1, Refused2, Refused3, Refused4, Refused5 };
    Screen<Shown, 9> answer{{{{entered[0], false},
                              {entered[1], false},
                              {entered[2], false},
                              {password, false},
                              {refused[0], false},
                              {refused[1], false},
                              {refused[2], false},
                              {refused[3], false},
                              {refused[4], false}}}};
};

const ClubTexts& clubTexts() {
    static const ClubTexts texts;
    return texts;
}

}  // namespace

BoardService::BoardService(CPatrolEngine& engine, CTolDoc& doc) : engine_(engine), doc_(doc) {}

bool BoardService::serves(int kind) const {
    return kind == kind::kBoard || kind == kind::kClub || kind == kind::kCircle;
}

void BoardService::reach(int place, PatrolWalk& /*walk*/) {
    const int k = doc_.tree().item(place).m_nKind;
    (k == kind::kClub ? clubs_ : k == kind::kCircle ? circles_ : boards_).push_back(place);
}

void BoardService::afterWalk(PatrolWalk& walk) {
    for (const std::vector<int>* places : {&clubs_, &circles_, &boards_}) {
        for (const int place : *places) {
            if (engine_.result() != result::Ok) return;
            const DueCheck due = walk.isDue(place, false);
            if (!due.due && !doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED)) continue;
            const Entry entry =
                doc_.tree().item(place).m_nKind == kind::kBoard ? ServeBoard(place) : ServeClubOrCircle(place);
            if (entry == Entry::Stopped) return;
            if (entry == Entry::In && !serveInside(place, due.due ? due.flags : 0)) return;
        }
    }
}

void BoardService::takeBanner(int place, std::string_view screen) {
    const std::optional<std::string> title = bannerTitle(screen);
    CItemArray& tree = doc_.tree();
    if (!title || *title == tree.item(place).m_szTitle.view()) return;
    tree.setTitle(place, *title);
    engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree, place));
}

BoardService::Entry BoardService::ServeBoard(int place) {
    atClubMenu_ = false;
    const ScreenReached reached = GoByPath(engine_, doc_.tree(), place);
    if (reached.code != result::Ok) {
        if (reached.code != result::PlaceFailed) return Entry::Stopped;
        engine_.events().report(texts::kBoardNotReached, doc_.tree().item(place).m_szTitle.view());
        return Entry::Failed;
    }
    takeBanner(place, reached.screen);
    engine_.events().report(texts::kMovedToBoard, doc_.tree().item(place).m_szTitle.view());
    engine_.events().activity(Animation::Board);
    return Entry::In;
}

BoardService::Entry BoardService::ServeClubOrCircle(int place) {
    const ClubTexts& host = clubTexts();
    const CItem item = doc_.tree().item(place);
    const bool circle = item.m_nKind == kind::kCircle;
    const std::string code = clubCode(item.m_strPath.view(), circle);
    const auto failed = [&] {
        engine_.events().report(texts::kClubNotReached, item.m_szTitle.view());
        return Entry::Failed;
    };
    if (code.empty()) return failed();
    if (!atClubMenu_) {
        engine_.Send("JCLUB\r");
        if (engine_.WaitForMenuPrompt() != result::Ok) return Entry::Stopped;
        atClubMenu_ = true;
    }
    engine_.Send(circle ? "2\r" : "4\r");
    if (engine_.WaitFor(circle ? host.circleCodeAsk : host.clubCodeAsk, false) != result::Ok) return Entry::Stopped;
    engine_.Send(code + "\r");
    // The password goes once; asked again, the host gets empty answers, a few at most.
    constexpr int kMaxAsked = 3;
    for (int asked = 0;;) {
        std::string screen;
        const Waited<ClubTexts::Shown> got = engine_.WaitForScreen(host.answer, &screen);
        if (!got) return Entry::Stopped;
        if (got.is(ClubTexts::Shown::Password)) {
            if (++asked > kMaxAsked) {
                engine_.setResult(result::OutOfStep);
                return Entry::Stopped;
            }
            const std::string password = item.m_szCode.str();
            if (asked == 1 && !password.empty()) engine_.SendSecret(password + "\r");
            else engine_.Send("\r");
            continue;
        }
        if (got.which() >= ClubTexts::Shown::Refused1) {
            // Back at the club menu.
            if (engine_.WaitForMenuPrompt() != result::Ok) return Entry::Stopped;
            return failed();
        }
        atClubMenu_ = false;
        takeBanner(place, screen);
        engine_.events().report(texts::kMovedToClub, doc_.tree().item(place).m_szTitle.view());
        engine_.events().activity(Animation::Board);
        return Entry::In;
    }
}

bool BoardService::serveInside(int place, int actions) {
    if (doc_.tree().item(place).hasFlag(ITEM_FLAG_HAS_RESERVED) && !postReserved(place)) return false;
    if ((actions & kReadNew) && !readNew(place)) return false;
    return engine_.result() == result::Ok;
}

bool BoardService::postReserved(int place) {
    const ForumTexts& host = forumTexts();
    OpenedList list(doc_, place, false);
    if (!list) return true;
    for (const int index : reservedItems(*list, kind::kComment, {kReservePost})) {
        if (engine_.result() != result::Ok) break;
        engine_.Send("W\r");
        const auto opened = engine_.WaitForScreen(host.writer);
        if (!opened) break;
        if (opened.is(ForumTexts::Writer::Refused)) {
            engine_.events().report(texts::kNotPosted, postTitle(*list, index));
            if (engine_.WaitFor(menuTexts().promptEnd, false) != result::Ok) break;
            continue;
        }
        if (WritePost(engine_, doc_, *list, place, index, host.afterPost) == PostEnd::Stopped) break;
    }
    const bool going = engine_.result() == result::Ok;
    if (list->dirty() && !list->save())
        engine_.events().report(texts::kListWriteFailed, list->listFile().filename().string());
    return going;
}

bool BoardService::readNew(int place) {
    engine_.Send("1\r");
    if (engine_.WaitForMenuPrompt() != result::Ok) return false;
    RoomMessages messages(doc_, place);
    if (!messages) return true;
    const int lastRead = roomLastRead(doc_.tree().item(place));
    engine_.Send("RB" + std::to_string(lastRead + 1) + "-\r");
    MessageReader reader(engine_, messages, doc_.generation());
    const ReadOutcome outcome = reader.read();
    CItemArray& list = messages.list();
    if (list.dirty() && !list.save())
        engine_.events().report(texts::kListWriteFailed, list.listFile().filename().string());
    if (outcome.end == ReadOutcome::End::RunOver) return false;
    // The host's read position covers only messages stored to their end.
    const int read = std::max(lastRead, outcome.lastNumber);
    CItemArray& tree = doc_.tree();
    if (read != lastRead) {
        tree.setTarget(place, read);
        engine_.events().placeNotice(PlaceNotice::of(PlaceChange::Changed, tree, place));
    }
    engine_.Send("SC" + std::to_string(read) + "\r");
    return engine_.WaitForMenuPrompt() == result::Ok;
}

}  // namespace morvaline
