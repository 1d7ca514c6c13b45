#pragma once
// Texts of the desktop program's windows and dialogs (UTF-8, as Qt shows them).

namespace morvaline::ui {

inline constexpr const char* kProgramName = "Morvaline";
inline constexpr const char* kFileMissing = "%1 が見つかりません";
inline constexpr const char* kAlreadyOpen = "既にｵｰﾌﾟﾝされています";
inline constexpr const char* kLoginTitle = "ﾛｸﾞｲﾝ";
inline constexpr const char* kUserIdLabel = "ﾕｰｻﾞｰ ID(&U):";
inline constexpr const char* kPasswordLabel = "ﾊﾟｽﾜｰﾄﾞ(&P):";
inline constexpr const char* kNewUserButton = "新規作成(&N)";
inline constexpr const char* kCustomizeButton = "ｶｽﾀﾏｲｽﾞ(&C)...";
inline constexpr const char* kCancel = "ｷｬﾝｾﾙ";
inline constexpr const char* kLoginCustomizeTitle = "ﾛｸﾞｲﾝ ｶｽﾀﾏｲｽﾞ";
inline constexpr const char* kEventLogTitle = "ｲﾍﾞﾝﾄ ﾛｸﾞ";
inline constexpr const char* kEventLogTime = "日時";
inline constexpr const char* kEventLogEvent = "ｲﾍﾞﾝﾄ";
inline constexpr const char* kAttachments = "添付ﾌｧｲﾙ";
inline constexpr const char* kSaveAttachment = "保存(&S)...";
inline constexpr const char* kAttachmentNotSaved = "添付ﾌｧｲﾙ %1 を保存できませんでした。%2";
inline constexpr const char* kAttachmentDamaged = "添付ﾌｧｲﾙ %1 は壊れているため保存できません。";
inline constexpr const char* kJumpTitle = "ｼﾞｬﾝﾌﾟ";
inline constexpr const char* kJumpPrompt = "ﾒｯｾｰｼﾞ番号(&N):";
inline constexpr const char* kNoPlaceForPath = "場所 %1 は見つかりませんでした";

// The new-user wizard.
inline constexpr const char* kWizardTitle = "新しいﾕｰｻﾞｰ";
inline constexpr const char* kWizardUserPage = "LUDRIX のﾕｰｻﾞｰ ID とﾊﾟｽﾜｰﾄﾞを入力してください。";
inline constexpr const char* kWizardHandlePage = "ﾒｰﾙや発言に使うﾊﾝﾄﾞﾙ名を入力してください。";
inline constexpr const char* kWizardAccessPage = "LUDRIX に接続する ｱｸｾｽ ﾎﾟｲﾝﾄ (Telnet) を入力してください。";
inline constexpr const char* kPasswordAgainLabel = "ﾊﾟｽﾜｰﾄﾞの確認(&C):";
inline constexpr const char* kHandleLabel = "ﾊﾝﾄﾞﾙ名(&H):";
inline constexpr const char* kAccessNameLabel = "名前(&N):";
inline constexpr const char* kAccessHostLabel = "ﾎｽﾄ(&O):";
inline constexpr const char* kAccessPortLabel = "ﾎﾟｰﾄ(&R):";
inline constexpr const char* kHandleTooLong = "ﾊﾝﾄﾞﾙ名は半角40文字 (全角20文字) 以内で入力してください";
inline constexpr const char* kPasswordsDiffer = "ﾊﾟｽﾜｰﾄﾞが一致しません";
inline constexpr const char* kUserExists = "ﾕｰｻﾞｰ ID %1 のﾃﾞｰﾀは既にあります。ﾛｸﾞｲﾝして開いてください";
inline constexpr const char* kBadUserIdFormat = "ﾕｰｻﾞｰ ID は8文字以内の半角英数字で入力してください";

}  // namespace morvaline::ui
