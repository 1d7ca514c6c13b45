// Bringing documents of older versions up to date after they are loaded.

#include "platform/text_codec.h"
#include "store/document.h"
#include "store/reserve_defaults.h"

namespace morvaline {
namespace {

struct ServicePlace {
    const char* title;
    const char* path;
};

constexpr ServicePlace kServicePlaces[] = {
    {"SIGとｺﾐｭﾆﾃｨ", "SIG"},     {"地域別掲示板", "TIIKI"},    {"一般掲示板", "IPPAN"},
    {"会員規約とﾈﾁｹｯﾄ", "RULE"}, {"ｱｸｾｽﾎﾟｲﾝﾄ情報", "APLIST"}, {"QA", "QA"},
    {"ｵﾝﾗｲﾝﾏﾆｭｱﾙ", "MANUAL"},   {"わかばﾏｰｸ", "WAKABA"},     {"お知らせ", "OSIRASE"},
    {"ﾆｭｰｽ", "NEWS"},            {"公共情報と政治", "KOUKYO"}, {"ﾋﾞｼﾞﾈｽ", "BUSINESS"},
    {"ｺﾝﾋﾟｭｰﾀ", "COMPUTER"},    {"ｼｮｯﾋﾟﾝｸﾞﾓｰﾙ", "SHOPPING"}, {"電子出版", "MAGAZINE"},
    {"趣味", "SYUMI"},           {"生活", "SEIKATSU"},         {"KALVORAｳｵｯﾁﾝｸﾞEX", "KALW"},
};

}  // namespace

void CTolDoc::upgrade(std::int32_t version) {
    if (version < 53) tree_.setId(0, "MAIN");
    if (version < 54) tree_.setFlags(0, ITEM_FLAG_ROOT, ITEM_FLAG_ROOT);
    if (version < 10) {
        int folder = tree_.findTitleKind(sj("ｻｰﾋﾞｽ案内"), kind::kFolder);
        if (folder < 0) folder = 0;
        if (tree_.findId("CLIP") < 0)
            tree_.add(folder, 0, 0, "CLIP", sj("ｸﾘｯﾋﾟﾝｸﾞ ｻｰﾋﾞｽ"), kind::kClipping, 0);
        for (const ServicePlace& place : kServicePlaces)
            addUnknownPlace(folder, sj(place.title), place.path);
    }
    if (version < 12) {
        if (tree_.findKind(kind::kTrash) < 0)
            tree_.add(0, 0, 0, "~TRASH", sj("ごみ箱"), kind::kTrash, 0);
        deleteRules_.addDefaults();
    }
    if (version < 57) {
        for (int i = 0; i < tree_.size(); ++i) {
            const CItem place = tree_.item(i);
            if (place.m_nKind == kind::kCircle) tree_.setPath(i, "CIRCLE/" + place.m_strPath.str());
            if (place.m_nKind == kind::kClub) tree_.setPath(i, "CLUB/" + place.m_strPath.str());
        }
    }
    upgradeMenus(menus_, version);
}

}  // namespace morvaline
