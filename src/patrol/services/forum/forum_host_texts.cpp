#include "patrol/services/forum/forum_host_texts.h"

#include "platform/text_codec.h"

namespace morvaline {
namespace {

ForumHostTexts make() {
    ForumHostTexts t;
    t.wrongCommand = sj("番号またはコマンドが間違っています。訂正して下さい。");
    t.forumPrompt = sj("番号またはコマンド(M,F,H,Q,Rm,SCm,Wm,RNm,RTm,J)=");
    t.folderOnlyPrompt = sj("番号またはコマンド(M,F,H,Q,J)=");
    t.pressReturn = sj("リターンキーを押して下さい=");
    t.roomPrompt = sj("コマンド(M,S,F,H,Q,R,RB,RBn,SC,SCn,RT,TL,TLn,J)=");
    t.noNewMessages = sj("新しいメッセージは、ありません。");
    t.readPrompts = {
        sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)="),
        sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)="),
        sj("番号またはコマンド<FM>(M,S,F,H,Q,RBn,SCn,+n,-n,RP,RV,RT,TLn,PF,J)="),
        sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,PF,J)="),
        sj("番号またはコマンド<BM>(M,S,F,H,Q,RBn,SCn,+n,-n,W,RP,RV,RT,TLn,AP,RC,PF,J)="),
    };
    t.noData = sj("該当データは、ありません。");
    t.titlesHeading = sj("番号　登録日付　タイトル　総数：");
    t.entryLimit = sj("行以上は登録されません。\r\n");
    t.confirmPost = sj("コマンド(H,Q,C,RB,G,V)=");
    t.cancelOnly = sj("番号またはコマンド(H,Q,C)=");
    t.afterPost = sj("コマンド(M,S,F,H,Q,W,J)=");
    t.deleteQuestion = sj("よろしいですか(Y,N,J)=");
    t.afterDelete = {sj("コマンド(M,S,F,H,Q,Dn,J)="), sj("コマンド(M,S,F,H,Q,N,Dn,J)="),
                     sj("コマンド(M,S,F,H,Q,B,Dn,J)="), sj("コマンド(M,S,F,H,Q,N,B,Dn,J)=")};
    t.commandWrong = sj("コマンドが、間違っています。訂正して下さい。");
    t.notRegistered = sj("メッセージは、登録されておりません。");
    return t;
}

}  // namespace

const ForumHostTexts& ForumHostTexts::get() {
    static const ForumHostTexts texts = make();
    return texts;
}

}  // namespace morvaline
