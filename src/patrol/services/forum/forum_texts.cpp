#include "patrol/services/forum/forum_texts.h"

#include "platform/text_codec.h"

namespace morvaline {

ForumTexts::ForumTexts()
    : wrongCommand(sj("番号またはコマンドが間違っています。訂正して下さい。")),
      wrongCommandLine("\n" + wrongCommand),
      forumPrompt(sj("番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)=")),
      folderOnlyPrompt(sj("番号またはコマンド(M,F,H,Q,J)=")),
      roomPrompt(sj("コマンド(M,S,F,H,Q,R,RB,RBn,SC,SCn,RT,TL,TLn,J)=")),
      noNewMessages(sj("新しいメッセージは、ありません。")),
      statusStart("\n#"),
      statusEnd(sj("　")),
      readPrompts{sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)="),
                  sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)="),
                  sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,RP,RV,RT,TLn,PF,J)="),
                  sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)="),
                  sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)=")},
      noData(sj("該当データは、ありません。")),
      entryLimit(sj("行以上は登録されません。\r\n")),
      afterPost(sj("コマンド(M,S,F,H,Q,W,J)=")),
      deleteQuestion(sj("よろしいですか(Y,N,J)=")),
      afterDelete{sj("コマンド(M,S,F,H,Q,Dn,J)="), sj("コマンド(M,S,F,H,Q,N,Dn,J)="),
                  sj("コマンド(M,S,F,H,Q,B,Dn,J)="), sj("コマンド(M,S,F,H,Q,N,B,Dn,J)=")},
      commandWrong(sj("コマンドが、間違っています。訂正して下さい。")),
      notRegistered(sj("メッセージは、登録されておりません。")),
      roomEntry{{{{roomPrompt, false}, {noNewMessages, false}, {wrongCommand, false}}}},
      roomStatus{{{{statusStart, false}, {wrongCommand, false}}}},
      writer{{{{entryLimit, true}, {wrongCommand, false}}}},
      deleteAsked{{{{deleteQuestion, true}, {commandWrong, false}, {notRegistered, false}}}},
      deleteAnswer{{{{afterDelete[0], false},
                     {afterDelete[1], false},
                     {afterDelete[2], false},
                     {afterDelete[3], false},
                     {commandWrong, false},
                     {notRegistered, false}}}} {}

const ForumTexts& forumTexts() {
    static const ForumTexts texts;
    return texts;
}

}  // namespace morvaline
