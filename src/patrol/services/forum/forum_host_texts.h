#pragma once
// The host's texts that the forum service waits for or reads, as Shift_JIS bytes.

#include <array>
#include <string>

namespace morvaline {

struct ForumHostTexts {
    // Any menu: a number or command the host does not know.
    std::string wrongCommand;  // "番号またはコマンドが間違っています。訂正して下さい。"
    // The menu of a forum (or of a folder of it) with its rooms, and the menu of one with
    // folders only.
    std::string forumPrompt;
    std::string folderOnlyPrompt;
    std::string pressReturn;  // a page of the forum's menu is full
    // Entering a room from the host's read position.
    std::string roomPrompt;   // new messages wait
    std::string noNewMessages;
    // The room's prompts after messages were shown: three "<FM>" forms and two "<BM>" forms.
    std::array<std::string, 5> readPrompts;
    std::string noData;       // "該当データは、ありません。"
    // Titles lists.
    std::string titlesHeading;
    // Posting.
    std::string entryLimit;      // "行以上は登録されません。\r\n", the end of the writer's help
    std::string confirmPost;     // "コマンド(H,Q,C,RB,G,V)=": "G" registers
    std::string cancelOnly;      // "番号またはコマンド(H,Q,C)=": the host takes no post
    std::string afterPost;       // "コマンド(M,S,F,H,Q,W,J)="
    // Deleting.
    std::string deleteQuestion;  // "よろしいですか(Y,N,J)="
    std::array<std::string, 4> afterDelete;
    std::string commandWrong;    // "コマンドが、間違っています。訂正して下さい。"
    std::string notRegistered;   // "メッセージは、登録されておりません。"

    static const ForumHostTexts& get();
};

}  // namespace morvaline
