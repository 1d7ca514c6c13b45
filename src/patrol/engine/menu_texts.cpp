#include "patrol/engine/menu_texts.h"

#include "platform/text_codec.h"

namespace morvaline {

MenuTexts::MenuTexts()
    : promptStart(sj("番号またはコマンド")),
      promptLine("\n" + promptStart),
      promptOpen(promptStart + "("),
      promptMore(promptStart + "<"),
      pressReturn(sj("リターンキーを押して下さい=")),
      nextScreen(sj("\"N(ﾘﾀｰﾝ)\"で続きの画面を表示します。")),
      startDownload(sj("ファイル転送プログラムを起動して下さい。(Rapidox:ダウンロード)")),
      startUpload(sj("ファイル転送プログラムを起動して下さい。(Rapidox:アップロード)")) {}

const MenuTexts& menuTexts() {
    static const MenuTexts texts;
    return texts;
}

}  // namespace morvaline
