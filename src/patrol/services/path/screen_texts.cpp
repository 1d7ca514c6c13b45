#include "patrol/services/path/screen_texts.h"

#include "patrol/engine/menu_texts.h"
#include "platform/text_codec.h"

namespace morvaline {

ScreenTexts::ScreenTexts()
    : feeStart(sj("通信料の他に情報料")),
      password("PASSWORD:"),
      textEntry{sj("行の先頭に半角．．を入力しますと、メッセージ入力を終了します。"),
                sj("行の先頭に、半角．．を入力すると終了します。２００行以上は登録されません。"),
                sj("行の先頭に、半角..を入力すると終了します。５０１行以上は登録されません。")},
      endPrompts{sj("\n漢字表示用ネームまたはコマンド("), sj("\nチャンネル番号またはコマンド("),
                 sj("\nＩＤまたはコマンド("), sj("\nよろしいですか("), sj("\nコマンド("),
                 sj("\n番号またはコマンド(")},
      pressReturn(menuTexts().pressReturn),
      wrongPassword(sj("パスワードが間違っています。訂正して下さい。")),
      notAvailable(sj("申し訳ございませんが御利用できません。")),
      wrongCommand(sj("番号またはコマンドが間違っています。")),
      screen{{{{feeStart, false},
               {password, false},
               {textEntry[0], false},
               {textEntry[1], false},
               {textEntry[2], false},
               {endPrompts[0], false},
               {endPrompts[1], false},
               {endPrompts[2], false},
               {endPrompts[3], false},
               {endPrompts[4], false},
               {endPrompts[5], false},
               {pressReturn, false},
               {wrongPassword, false},
               {notAvailable, false}}}} {}

const ScreenTexts& screenTexts() {
    static const ScreenTexts texts;
    return texts;
}

}  // namespace morvaline
