#include "patrol/services/library/library_texts.h"

#include "platform/text_codec.h"

namespace morvaline {

LibraryTexts::LibraryTexts()
    : menuPrompts{sj("番号またはコマンド(H,Q,E,J)="), sj("番号またはコマンド(M,F,H,Q,J)="),
                  sj("番号またはコマンド(M,S,F,H,Q,Rm,KWm,KWLm,RTm,J)="), sj("番号またはコマンド(M,E,C,G,H)="),
                  sj("番号またはコマンド(M,S,F,H,Q,J)=")},
      cornerEntries{sj("ファイル一覧（＊）"), sj("ダウンロード（＊）"), sj("このコーナーの案内")},
      separator(sj("　－")),
      wrongCommand(sj("番号またはコマンドが間違っています。訂正して下さい。")),
      searchFirst(sj("◎検索条件を設定して下さい。")),
      priceHeading(sj("     ファイル名                登録日    サイズ    料  金  購入")),
      accessHeading(sj("　　 ファイル名　　登録者ＩＤ　登録日　　サイズ　　アクセス")),
      noData(sj("選択されたサービスのデータは、現在登録されていません。")),
      listStart{{{{searchFirst, false},
                  {priceHeading, false},
                  {noData, false},
                  {wrongCommand, false},
                  {accessHeading, false}}}},
      backwardMode("<BM>"),
      readPrompts{sj("番号またはコマンド<FM>(M,S,F,H,Q,N,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)="),
                  sj("番号またはコマンド<FM>(M,S,F,H,Q,N,B,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)="),
                  sj("番号またはコマンド<FM>(M,S,F,H,Q,B,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)="),
                  sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,RV,TLn,DL,DC,J)=")},
      noDocument(sj("ドキュメントファイルが登録されていません。")),
      downloadMenu(sj("番号またはコマンド(M,S,F,H,Q,J)=")),
      noDownload(sj("\nダウンロードファイルはありません")),
      downloadOffer{{{{downloadMenu, false}, {noDownload, false}, {wrongCommand, false}}}},
      confirmJ(sj("よろしいですか(Y,N,J)=")),
      protocolAsk(sj("プロトコル=")),
      rapidox(sj("Ｒａｐｉｄｏｘ")),
      registrationEntry(sj("登録")),
      askRegistrant(sj("登録者ＩＤを入力して下さい(M,S,F,H,Q,J)=")),
      startUpload(sj("(Rapidox:アップロード)")),
      uploadStart{{{{askRegistrant, false}, {startUpload, false}}}},
      uploadDone(sj("正常終了")),
      alreadyThere(sj("登録済み")),
      uploadBroken(sj("異常終了")),
      uploaded{{{{uploadDone, false}, {alreadyThere, false}, {uploadBroken, false}}}},
      documentAsk(sj("ドキュメントを入力して下さい。\r\n")),
      confirmText(sj("これでよろしいですか(Y,N)=")),
      finishAsk(sj("\n完了しますか(Y,N,J)=")),
      documentMenu(sj("ファイル名またはコマンド(M,S,F,H,Q,WCn,J)=")),
      registrationMenu(sj("番号またはコマンド(M,S,F,H,Q,DP,J)=")),
      pendingHeading(sj("　　 ファイル名　　登録者ＩＤ　登録日　　サイズ　登録状態\r\n")),
      commentAsk("\n>"),
      commentConfirm(sj("よろしいですか(Y,N)=")),
      cancelWord(sj("中止")),
      registerConfirm(sj("これでよろしいですか(Y/N)=")),
      registeredMenu(sj("\n番号またはコマンド")),
      registeredReturn(sj("\nリターンキーを押して下さい")) {}

const LibraryTexts& libraryTexts() {
    static const LibraryTexts texts;
    return texts;
}

}  // namespace morvaline
