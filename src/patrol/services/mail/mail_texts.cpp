#include "patrol/services/mail/mail_texts.h"

#include "platform/text_codec.h"

namespace morvaline {

MailTexts::MailTexts()
    : listStates{sj("　未　"), sj("　済　"), sj("　転　")},
      forwardedMark(sj("転")),
      arrived(sj("到着メール　総数：")),
      noMail(sj("メールは届いていません。")),
      maintenance(sj("誠に申し訳ありませんが、システムメンテナンスのため、")),
      unavailable(sj("現在このサービスはご利用できません。")),
      maintenanceNotice(maintenance + unavailable),
      readerPromptMore(sj("番号またはコマンド(M,S,F,H,Q,N,RBn,SCn,RT,PF,J,DL)=")),
      readerPrompt(sj("番号またはコマンド(M,S,F,H,Q,RBn,SCn,RT,PF,J,DL)=")),
      titleLabel(sj("文書名：")),
      chooseWay(sj("番号またはコマンド(H,Q,C)=")),
      deleteQuestion(sj("よろしいですか(Y,N,J)=")),
      wrongCommand(sj("番号またはコマンドが間違っています。訂正して下さい。")),
      deleted(sj("削除されました。")),
      readerList{{{{arrived, false}, {noMail, false}, {maintenance, false}, {unavailable, false}}}},
      readerEntry{{{{arrived, false}, {noMail, false}, {maintenanceNotice, false}}}},
      shownMail{{{{readerPromptMore, true}, {readerPrompt, true}}}},
      downloadOffer{{{{chooseWay, true}, {readerPromptMore, true}, {readerPrompt, true}}}},
      deleteAnswer{{{{deleteQuestion, true}, {wrongCommand, false}}}},
      addresseePrompt(sj("宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)=")),
      addresseeRefused(sj("宛先コードまたはコマンドが間違っています。訂正して下さい。")),
      absentId(sj("不在者ＩＤ：")),
      absent(sj("不在中の為，メールは受け付けられません。")),
      absenceTitle(sj("不在通知")),
      editPrompt(sj("コマンド(H,Q,C,RB,G,V)=")),
      donePrompt(sj("コマンド(M,S,F,H,Q,A,J)=")),
      textEntry(sj("メッセージ入力を終了します。\r\n")),
      confirm(sj("よろしいですか(Y,N)=")),
      transferBroken(sj("ファイル転送が中断されました。")),
      toLine(sj("\n宛先コードまたはコマンド(")),
      moreToLine(sj("\n追加宛先コードまたはコマンド(")),
      commandLine(sj("\nコマンド(")),
      afterAddressee{{{{toLine, false}, {moreToLine, false}, {commandLine, false}}}},
      textEntryStart{{{{textEntry, false}, {")=", false}}}},
      afterSend{{{{donePrompt, true}, {editPrompt, true}}}},
      sentHeading(sj("番号　送信日　　　確認日時　　　宛先コード　宛先名\r\n")),
      sentSecondHeading(sj("　　　枚数（属性）　文書名（ファイル名、サイズ、コメント）\r\n")),
      noSentMail(sj("送信済メールは有りません。\r\n")),
      sentList{{{{sentHeading, false}, {noSentMail, false}, {maintenance, false}}}} {}

const MailTexts& mailTexts() {
    static const MailTexts texts;
    return texts;
}

}  // namespace morvaline
