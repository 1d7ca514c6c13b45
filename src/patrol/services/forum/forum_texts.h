#pragma once
// The host's texts of the forum service, in Shift_JIS: a forum's menu of rooms, entering a
// room, its prompts after messages, the writer of posts and the deletion of a message, with
// the screen sets the service waits for.

#include <array>
#include <string>

#include "patrol/engine/wait_outcome.h"

namespace morvaline {

struct ForumTexts {
    ForumTexts();
    ForumTexts(const ForumTexts&) = delete;
    ForumTexts& operator=(const ForumTexts&) = delete;

    // A number or command the host does not know, as a line and after the LF that starts it.
    std::string wrongCommand;  // "番号またはコマンドが間違っています。訂正して下さい。"
    std::string wrongCommandLine;
    // The menu of a forum (or of a folder of it) with its rooms, and the menu of one with
    // folders only.
    std::string forumPrompt;
    std::string folderOnlyPrompt;
    // Entering a room from the host's read position: new messages follow, or none wait.
    std::string roomPrompt;
    std::string noNewMessages;
    // Entering it from the stored position: the status line "#read/highest　name".
    std::string statusStart;  // "\n#"
    std::string statusEnd;    // "　"
    // The room's prompts after messages: three "<FM>" forms and two "<BM>" forms.
    std::array<std::string, 5> readPrompts;
    std::string noData;  // "該当データは、ありません。": no such message
    // Posting: the end of the writer's help, after which it waits for the title; the
    // room's prompt after a post.
    std::string entryLimit;  // "行以上は登録されません。\r\n"
    std::string afterPost;   // "コマンド(M,S,F,H,Q,W,J)="
    // Deleting.
    std::string deleteQuestion;  // "よろしいですか(Y,N,J)="
    std::array<std::string, 4> afterDelete;  // the room's prompts after a deletion
    std::string commandWrong;   // "コマンドが、間違っています。訂正して下さい。"
    std::string notRegistered;  // "メッセージは、登録されておりません。"

    enum class RoomEntry { NewMessages, NoNew, Refused };
    Screen<RoomEntry, 3> roomEntry;
    enum class RoomStatus { Status, Refused };
    Screen<RoomStatus, 2> roomStatus;
    // The writer's help ends in the line limit and the host waits; a refusal is a line the
    // prompt follows at once.
    enum class Writer { Ready, Refused };
    Screen<Writer, 2> writer;
    enum class DeleteAsked { Question, CommandWrong, NotRegistered };
    Screen<DeleteAsked, 3> deleteAsked;
    // After "Y": one of the room's four prompts (the message is gone), or a refusal.
    enum class DeleteAnswer { Deleted, DeletedMore, DeletedBack, DeletedBoth, CommandWrong, NotRegistered };
    Screen<DeleteAnswer, 6> deleteAnswer;
};

const ForumTexts& forumTexts();

}  // namespace morvaline
