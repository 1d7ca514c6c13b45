#pragma once
// Texts of the browser window: the reports of the navigation (shown in the status line and
// logged, never in the patrol status window) and the questions it asks.

#include "store/texts.h"

namespace morvaline::texts {

// clang-format off
inline constexpr Text kNoMessageBelow{1055, "下にﾒｯｾｰｼﾞは見つかりませんでした"};
inline constexpr Text kNoMessageAbove{1056, "上にﾒｯｾｰｼﾞは見つかりませんでした"};
inline constexpr Text kNoUnreadBelow{1057, "下に未読ﾒｯｾｰｼﾞは見つかりませんでした"};
inline constexpr Text kNoUnreadAnywhere{1058, "未読ﾒｯｾｰｼﾞはどこにも見つかりませんでした"};
inline constexpr Text kNoNewBelow{1072, "下に新着ﾒｯｾｰｼﾞは見つかりませんでした"};
inline constexpr Text kNoNewAbove{1074, "上に新着ﾒｯｾｰｼﾞは見つかりませんでした"};

inline constexpr Text kHiddenPlaceQuestion{1100, "表示しようとする場所には隠し属性が付いているため表示できません。この場所の隠し属性を取り消しますか?"};
inline constexpr Text kLimitedMessageQuestion{1101, "表示しようとするﾒｯｾｰｼﾞは個数制限されているため表示できません。この制限を取り消しますか?"};
inline constexpr Text kNoUnreadHereQuestion{1102, "この場所には未読ﾒｯｾｰｼﾞは見つかりませんでした。別の場所で未読ﾒｯｾｰｼﾞを表示しますか?"};
inline constexpr Text kNoNewHereQuestion{1103, "この場所には新着ﾒｯｾｰｼﾞは見つかりませんでした。別の場所で新着ﾒｯｾｰｼﾞを表示しますか?"};
inline constexpr Text kNoMarkedHereQuestion{1104, "この場所にはﾏｰｸしたﾒｯｾｰｼﾞは見つかりませんでした。別の場所でﾏｰｸしたﾒｯｾｰｼﾞを表示しますか?"};
inline constexpr Text kNoComposingHereQuestion{1105, "この場所には作文中のﾒｯｾｰｼﾞは見つかりませんでした。別の場所で作文中のﾒｯｾｰｼﾞを表示しますか?"};
inline constexpr Text kReserveReadQuestion{1106, "指定したﾒｯｾｰｼﾞは見つかりません。このﾒｯｾｰｼﾞを読む予約をしますか?"};
inline constexpr Text kReserveDownloadQuestion{1107, "指定したﾌｧｲﾙは見つかりません。このﾌｧｲﾙのﾀﾞｳﾝﾛｰﾄﾞ予約をしますか?"};
inline constexpr Text kNumberNotFound{1108, "指定した番号のﾒｯｾｰｼﾞは見つかりませんでした"};
inline constexpr Text kRefusedWhilePatrolling{1109, "自動巡回中のこの操作は禁止されています。"};
// clang-format on

}  // namespace morvaline::texts
