#pragma once
// The host's texts of the mail service, in Shift_JIS: the mail reader ("JREAD"), the mail
// writer ("JSEND", "FW") and the sent list ("JSMAIL"), with the screen sets the service
// waits for.

#include <array>
#include <string>

#include "patrol/engine/wait_outcome.h"

namespace morvaline {

struct MailTexts {
    MailTexts();
    MailTexts(const MailTexts&) = delete;
    MailTexts& operator=(const MailTexts&) = delete;

    // --- The mail reader ---
    // The states of a mail in the list ("　未　" unread, "　済　" read, "　転　" forwarded),
    // and the mark "転" after a forwarded entry of the sent list.
    std::array<std::string, 3> listStates;
    std::string forwardedMark;
    std::string arrived;  // "到着メール　総数：": the list follows
    std::string noMail;   // "メールは届いていません。"
    // The service is down: the two halves of the host's sentence, and the whole of it.
    std::string maintenance;  // "誠に申し訳ありませんが、システムメンテナンスのため、"
    std::string unavailable;  // "現在このサービスはご利用できません。"
    std::string maintenanceNotice;
    // The reader's prompts after a shown mail, with and without a next one.
    std::string readerPromptMore;
    std::string readerPrompt;
    std::string titleLabel;  // "文書名：", the header line of the mail's title
    std::string chooseWay;   // "番号またはコマンド(H,Q,C)=": how to download a mail's file
    // Deleting: the question, the refusal of the command, the confirmation of some hosts.
    std::string deleteQuestion;
    std::string wrongCommand;
    std::string deleted;

    // What "JREAD" shows when the service entry reads the list, and when it only enters.
    enum class ReaderList { List, NoMail, Maintenance, Unavailable };
    Screen<ReaderList, 4> readerList;
    enum class ReaderEntry { List, NoMail, Maintenance };
    Screen<ReaderEntry, 3> readerEntry;
    // The prompts that end a shown mail (quiet: a mail's text may quote them).
    enum class ShownMail { PromptMore, Prompt };
    Screen<ShownMail, 2> shownMail;
    // What "DL%d" shows: the ways to download, or the reader's prompt when there is no file.
    enum class DownloadOffer { ChooseWay, PromptMore, Prompt };
    Screen<DownloadOffer, 3> downloadOffer;
    // What a deletion command shows.
    enum class DeleteAnswer { Question, WrongCommand };
    Screen<DeleteAnswer, 2> deleteAnswer;

    // --- The mail writer ---
    std::string addresseePrompt;  // "宛先コードまたはコマンド(M,S,F,H,Q,BC,AD,EM,J,Ftel)="
    std::string addresseeRefused;
    std::string absentId;  // "不在者ＩＤ：" and the line after it: the addressee is away
    std::string absent;
    std::string absenceTitle;  // "不在通知", the title of a stored absence notice
    std::string editPrompt;    // "コマンド(H,Q,C,RB,G,V)=": the entered text waits
    std::string donePrompt;    // "コマンド(M,S,F,H,Q,A,J)=": the mail went, or was dropped
    std::string textEntry;  // "メッセージ入力を終了します。\r\n": the title and text follow
    std::string confirm;         // "よろしいですか(Y,N)="
    std::string transferBroken;  // "ファイル転送が中断されました。"
    // The prompts that follow an addressee: for the next one, for another one, and the
    // command prompt, each at the start of its line.
    std::string toLine;
    std::string moreToLine;
    std::string commandLine;
    enum class AfterAddressee { To, MoreTo, Command };
    Screen<AfterAddressee, 3> afterAddressee;
    // The end of the addressees: the text entry, or back at a prompt (none was taken).
    enum class TextEntry { Started, BackAtPrompt };
    Screen<TextEntry, 2> textEntryStart;
    // The answer to "G": sent, or the text is still in the editor.
    enum class AfterSend { Sent, StillEditing };
    Screen<AfterSend, 2> afterSend;

    // --- The sent list ---
    std::string sentHeading;        // the heading of the list's first line of an entry
    std::string sentSecondHeading;  // ... and of its second
    std::string noSentMail;         // "送信済メールは有りません。"
    enum class SentList { List, Nothing, Maintenance };
    Screen<SentList, 3> sentList;
};

const MailTexts& mailTexts();

}  // namespace morvaline
