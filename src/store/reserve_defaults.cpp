#include "store/reserve_defaults.h"

#include "platform/text_codec.h"
#include "store/item_kinds.h"

namespace morvaline {
namespace {

void addReadEveryTimeAndList(CReserveArray& menu) {
    menu.add(sj("毎回読む"), 0, priority::kC, 0x2);
    menu.add(sj("一覧の取得"), 1, priority::kC, 0x1);
}

void addCheck(CReserveArray& menu) { menu.add(sj("調べる"), 0, priority::kA, 0x201); }

CReserveArray& menuOf(std::array<CReserveArray, 19>& menus, int kind) {
    return menus[static_cast<std::size_t>(kind)];
}

}  // namespace

void fillDefaultMenus(std::array<CReserveArray, 19>& menus) {
    using namespace kind;
    menuOf(menus, kForumArea).add(sj("ﾌｫｰﾗﾑの一覧取得"), 0, priority::kC, 0x1);
    menuOf(menus, kLibraryArea).add(sj("OSLの一覧取得"), 0, priority::kC, 0x2);
    CReserveArray& room = menuOf(menus, kRoom);
    room.add(sj("毎回読む"), 0, priority::kC, 0x10);
    room.add(sj("ﾀｲﾄﾙのみ取得"), 1, priority::kC, 0x40);
    room.add(sj("最新発言番号のみ取得"), 2, priority::kC, 0x20);
    menuOf(menus, kLibrary).add(sj("このOSLの一覧の取得"), 0, priority::kC, 0x20);
    CReserveArray& mail = menuOf(menus, kReceivedMail);
    mail.add(sj("未読ﾒｰﾙを読む"), 0, priority::kB, 0x90);
    mail.add(sj("ﾒｰﾙの一覧取得"), 1, priority::kC, 0xA0);
    menuOf(menus, kBilling).add(sj("明細を取得"), 0, priority::kC, 0x1);
    menuOf(menus, kNewNotices).add(sj("毎回読む"), 0, priority::kC, 0x10);
    menuOf(menus, kSentLog).add(sj("送信簿を取得"), 0, priority::kC, 0x1);
    for (const int k : {kBoard, kClub, kCircle, kNotices, kClipping})
        addReadEveryTimeAndList(menuOf(menus, k));
    for (const int k : {kUnknownPlace, kIdMail}) addCheck(menuOf(menus, k));
}

void upgradeMenus(std::array<CReserveArray, 19>& menus, std::int32_t version) {
    using namespace kind;
    if (version < 2) menuOf(menus, kRoom).add(sj("最新発言番号のみ取得"), 2, priority::kC, 0x20);
    if (version < 4) addCheck(menuOf(menus, kUnknownPlace));
    if (version < 5) addReadEveryTimeAndList(menuOf(menus, kNotices));
    if (version < 9) addReadEveryTimeAndList(menuOf(menus, kClipping));
    if (version < 11) addCheck(menuOf(menus, kIdMail));
}

}  // namespace morvaline
