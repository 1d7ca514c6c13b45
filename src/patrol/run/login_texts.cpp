#include "patrol/run/login_texts.h"

#include "message/jis_code.h"
#include "patrol/engine/menu_texts.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

// The JIS X 0208 row and cell bytes of a Shift_JIS text of double-byte characters.
std::string jisBytes(std::string_view sjis) {
    std::string jis;
    for (std::size_t i = 0; i + 1 < sjis.size(); i += 2) {
        const auto code = sjisToJisCode(static_cast<std::uint16_t>(
            (static_cast<unsigned char>(sjis[i]) << 8) | static_cast<unsigned char>(sjis[i + 1])));
        jis += static_cast<char>(code >> 8);
        jis += static_cast<char>(code & 0xFF);
    }
    return jis;
}

}  // namespace

LoginTexts::LoginTexts()
    : userIdPromptJapanese(sj("ユーザＩＤ： ")),
      passwordPromptJapanese(sj("パスワード： ")),
      noticesQuestion(sj("お知らせを表示しますか")),
      profileQuestion(sj("＊プロファイルを修正しますか")),
      profileQuestionKana(sj("*ﾌﾟﾛﾌｧｲﾙ ｦ ｼｭｳｾｲ ｼﾏｽｶ")),
      mainMenu(sj("　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)")),
      lastLogoutBanner(sj("前回使用終了日時は  ")),
      lastLogoutBannerKana(sj("ｾﾞﾝｶｲ LOG OUT")),
      wrongPassword(sj("ＩＤまたはパスワードが間違っています。訂正してください")),
      doubleLogin(sj("◆二重ログインです◆")),
      congested(sj("ただ今、回線は大変混雑しております。しばらくたってからご利用下さい。")),
      newMailEntry(sj("１．電子メール【到着】")),
      afterPassword{{{{"\r\n", false},
                      {noticesQuestion, false},
                      {profileQuestion, false},
                      {profileQuestionKana, false},
                      // A long list of this login's notices stops for the return key.
                      {menuTexts().pressReturn, true}}}},
      mainMenuPrompt(sj("番号またはコマンド(H,Q,J)=")),
      mainMenuPromptBare(sj("番号またはコマンド=")),
      currentValue(sj("（現在値）")),
      currentValueJis(jisBytes(currentValue)),
      choiceOne(sj("１．")),
      choiceTwo(sj("２．")),
      choiceTwoJis(jisBytes(choiceTwo)),
      thanks(sj("ご利用ありがとうございました")),
      goodbye{{{{logOutLine, false}, {thanks, false}}}} {}

const LoginTexts& loginTexts() {
    static const LoginTexts texts;
    return texts;
}

}  // namespace morvaline
