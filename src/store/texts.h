#pragma once
// The string table: every text that the system reports or shows, with its ID.
// The ID decides how a report is classified (warning or information), which event sound
// it plays and whether it reaches the patrol status window (see report.h). IDs of texts
// that report a failure or a problem are taken from the warning ranges
// (1151, 1193, 10240, 10241, 28679, 28681-28687, 28689-28705, 28712-28727, 28729-28733,
// 28740-28759); which of those say that a step of a run failed is decided in report.cpp.
//
// Texts are written here in UTF-8 and used as Shift_JIS (textSjis, formatText).
// Each area of the system keeps its texts in its own list below.

#include <string>
#include <string_view>

namespace morvaline {

struct Text {
    int id;
    std::string_view utf8;
};

// clang-format off
// Event sounds: report IDs 30208 ... 30222 play the sound slots 0 ... 14.
#define MORVALINE_TEXTS_EVENTS(X) \
    X(kLogoutTimeConsistent, 30208, "実際の前回ﾛｸﾞｱｳﾄとMorvalineによる前回ﾛｸﾞｱｳﾄと時刻が一致しています。") \
    X(kLogoutTimeInconsistent, 30209, "ﾛｸﾞｱｳﾄ時刻が一致していません。%1") \
    X(kNoLastLogoutTime, 30210, "前回自動巡回で終了していないので、ﾛｸﾞｱｳﾄ時刻の照合はできません。%1") \
    X(kNewMail, 30211, "新しいﾒｰﾙが届いています") \
    X(kPatrolFinished, 30212, "自動巡回が終了しました") \
    X(kPatrolFinishedNoLogout, 30213, "自動巡回が終了し、ﾛｸﾞｱｳﾄしませんでした。ﾀｰﾐﾅﾙから手動でﾛｸﾞｱｳﾄしてください。") \
    X(kPatrolStopped, 30214, "自動巡回が中断されました") \
    X(kNoConnect, 30215, "接続できませんでした") \
    X(kNewNoticeFound, 30216, "新しいお知らせが見つかりました") \
    X(kForumRenamed, 30217, "ﾌｫｰﾗﾑ名が '%1' に変更されました") \
    X(kLibraryRenamed, 30218, "OSL名が '%1' に変更されました") \
    X(kNewForumFound, 30219, "新しいﾌｫｰﾗﾑ '%1' を追加しました") \
    X(kNewLibraryFound, 30220, "新しいOSL '%1' を追加しました") \
    X(kForumNotFound, 30221, "ﾌｫｰﾗﾑ '%1' が見つかりませんでした。閉鎖された可能性があります。") \
    X(kLibraryNotFound, 30222, "OSL '%1' が見つかりませんでした。閉鎖された可能性があります。")

// The local store: the document, message lists and files.
#define MORVALINE_TEXTS_STORE(X) \
    X(kListReadFailed, 28690, "%1 ﾌｧｲﾙの読み出しに失敗しました") \
    X(kListWriteFailed, 28691, "%1 ﾌｧｲﾙの書き込みに失敗しました") \
    X(kCannotOpenFile, 28692, "%1 がｵｰﾌﾟﾝできません") \
    X(kNoDataDirectory, 28693, "%1\nﾃﾞｰﾀ保存用ﾃﾞｨﾚｸﾄﾘがみつかりません") \
    X(kWrongPassword, 28694, "ﾊﾟｽﾜｰﾄﾞが間違っています") \
    X(kNoUserFiles, 28695, "%1\nこのﾕｰｻﾞｰID用のﾌｧｲﾙは見つかりませんでした。ﾛｸﾞｲﾝ ﾊﾟｽを変更するには、ｺﾏﾝﾄﾞﾗｲﾝで -z オプションで起動してください。") \
    X(kCannotCreateDirectory, 28696, "%1\nﾃﾞｨﾚｸﾄﾘが作成できません") \
    X(kNotADocument, 28697, "正常なｱﾌﾟﾘｹｰｼｮﾝ用のﾌｧｲﾙではありません") \
    X(kDocumentTooNew, 28698, "以前、これよりも新しいバージョンのｱﾌﾟﾘｹｰｼｮﾝで保存されています。新しいバージョンのｱﾌﾟﾘｹｰｼｮﾝをご利用ください。") \
    X(kDocumentDamaged, 28699, "%1 の読み込みに失敗しました") \
    X(kUserInUse, 28700, "ﾕｰｻﾞｰ ID: %1 は他のﾌﾟﾛｸﾞﾗﾑで使用中です") \
    X(kPasswordTooLong, 28701, "ﾊﾟｽﾜｰﾄﾞは24文字以内で入力してください") \
    X(kBadPlaceFileName, 28702, "場所 '%1' のﾌｧｲﾙ名が作れません") \
    X(kBadUserId, 28704, "ﾕｰｻﾞｰ ID '%1' は使用できません") \
    X(kFolderNotWritable, 28679, "%1\nﾌｫﾙﾀﾞに書き込めません (%2)") \
    X(kUserOpened, 16384, "ﾕｰｻﾞｰ ID: %1 を開きました") \
    X(kFileCheckQuestion, 16385, "このIDで前回使用後、正しく終了していません。ここでﾌｧｲﾙのﾁｪｯｸを行いますか?") \
    X(kListLoadStart, 16386, "ﾌｧｲﾙ %1 の読み込みを開始します") \
    X(kListLoadDone, 16387, "ﾌｧｲﾙ %1 の読み込みに成功しました") \
    X(kListNotFound, 16388, "ﾌｧｲﾙ %1 が見つかりません。") \
    X(kPatternNotFound, 28703, "指定した予約ﾊﾟﾀｰﾝ '%1' は見つかりませんでした") \
    X(kWelcomeTitle, 16389, "Morvaline へようこそ") \
    X(kClearEventLogQuestion, 16390, "本当にｲﾍﾞﾝﾄ ﾛｸﾞを消去してもよろしいですか?")

// Transfers: the progress line changes too often to be logged.
#define MORVALINE_TEXTS_TRANSFER(X) \
    X(kBytesTransferred, 16862, "%1 ﾊﾞｲﾄが転送されました") \
    X(kSkipping, 16837, "ｽｷｯﾌﾟしています")

// The line to the host: connection, Telnet, capture log, transfers on the line.
#define MORVALINE_TEXTS_CONNECTION(X) \
    X(kLineConnected, 16800, "回線が接続しました") \
    X(kLineDisconnected, 16801, "回線が切断されました") \
    X(kHangingUp, 16802, "回線を切断しています") \
    X(kConfirmHangUp, 16803, "回線を切断します。よろしいですか?") \
    X(kBreakSent, 16804, "ﾌﾞﾚｰｸ信号を送信しました") \
    X(kBeepReceived, 16805, "ﾋﾞｰﾌﾟ音を受信しました") \
    X(kConnectingTo, 16806, "接続中 (%1)") \
    X(kTransferStarted, 16807, "ﾊﾞｲﾅﾘ転送が開始しました") \
    X(kTransferEnded, 16808, "ﾊﾞｲﾅﾘ転送が終了しました") \
    X(kWriteFatal, 28681, "通信書き込み中に致命的なｴﾗｰ (GetLastError = %1) が発生しました。接続に失敗した可能性があります。") \
    X(kNoHostInfo, 28682, "%1 からﾎｽﾄ情報を取得できませんでした") \
    X(kNoPortChosen, 28760, "ﾎﾟｰﾄを指定してください。") \
    X(kPortOpenFailed, 28761, "通信ﾎﾟｰﾄがｵｰﾌﾟﾝできません") \
    X(kPortSettingsFailed, 28762, "通信条件の設定に失敗しました") \
    X(kPortProblem, 28763, "%1: %2") \
    X(kDialUpAlreadyUp, 28764, "%1 へのﾀﾞｲﾔﾙｱｯﾌﾟ接続は既に接続されています") \
    X(kDialUpDialling, 28765, "%1 にﾀﾞｲﾔﾙｱｯﾌﾟ接続しています") \
    X(kDialUpError, 28766, "ﾀﾞｲﾔﾙ ｱｯﾌﾟのｴﾗｰ: %1") \
    X(kDialUpUp, 28767, "ﾀﾞｲﾔﾙｱｯﾌﾟ接続に成功しました") \
    X(kDialUpHangingUp, 28768, "ﾀﾞｲﾔﾙｱｯﾌﾟ接続を切断しています") \
    X(kDialUpDown, 28769, "ﾀﾞｲﾔﾙｱｯﾌﾟ接続を切断しました") \
    X(kDialUpNotLoaded, 28770, "nmcli が見つからないので、ﾀﾞｲﾔﾙｱｯﾌﾟ接続はせずに接続します") \
    X(kDialUpPrompt, 28771, "%1 へﾀﾞｲﾔﾙｱｯﾌﾟ接続します。") \
    X(kLogWriteFailed, 28683, "%1\nのﾛｸﾞ用のﾌｧｲﾙに書き込めません (%2)。ﾛｸﾞはここで終わります。") \
    X(kLogOpenFailed, 28684, "%1\nのﾛｸﾞ用のﾌｧｲﾙがｵｰﾌﾟﾝできませんでした。他のｱﾌﾟﾘｹｰｼｮﾝで使用している可能性があります。ﾛｸﾞは作成されません。")

// The patrol engine: how a run ended.
#define MORVALINE_TEXTS_PATROL(X) \
    X(kNothingReceived, 28685, "しばらくの間、文字を受信しませんでした。回線を切断します。") \
    X(kConnectCancelled, 28686, "接続は中止されました") \
    X(kOutOfStep, 28687, "通信ｴﾗｰによる文字落ちが発生したか、ﾒﾆｭｰ表示が変更されています。自動巡回を中止します。") \
    X(kBusy, 28729, "話中でした") \
    X(kModemError, 28730, "ﾓﾃﾞﾑでｴﾗｰが発生しました。初期化ｺﾏﾝﾄﾞに誤りがある可能性があります。") \
    X(kDoubleLogin, 28731, "二重ﾛｸﾞｲﾝです") \
    X(kLoginFailed, 28732, "ﾛｸﾞｲﾝできませんでした")

// Rapidox transfers: how a transfer ended, and its file size line.
// The run of a patrol: connecting through the access points, login, logout.
#define MORVALINE_TEXTS_PATROL_RUN(X) \
    X(kConnectingAccessPoint, 16809, "%1 に接続します。([F12] でｽｷｯﾌﾟ, [Ctrl]+[F5] でｷｬﾝｾﾙ)") \
    X(kRedialWait, 16810, "ﾘﾀﾞｲﾔﾙの待機中") \
    X(kLoggingIn, 16811, "ﾛｸﾞｲﾝしています") \
    X(kLoginPrompt, 16812, "ﾛｸﾞｲﾝ ﾌﾟﾛﾝﾌﾟﾄが現れました") \
    X(kLoginSucceeded, 16813, "ﾛｸﾞｲﾝに成功しました") \
    X(kLoggedOut, 16814, "正常にﾛｸﾞｱｳﾄしました") \
    X(kPatrolStarting, 16854, "自動巡回を開始します") \
    X(kNoAccessPoint, 28733, "ｱｸｾｽ ﾎﾟｲﾝﾄが設定されていません。")

#define MORVALINE_TEXTS_RAPIDOX(X) \
    X(kTransferAborting, 28712, "中断処理中") \
    X(kTransferRetriesExceeded, 28713, "ﾘﾄﾗｲ回数ｵｰﾊﾞｰ") \
    X(kTransferFileError, 28714, "ﾌｧｲﾙ ｴﾗｰ") \
    X(kTransferProtocolError, 28715, "ﾌﾟﾛﾄｺﾙ ｴﾗｰ") \
    X(kUploadNameTooLong, 28716, "ﾌｧｲﾙ名 %1 が長すぎるため送信できません") \
    X(kTransferFileSize, 16863, "ﾌｧｲﾙの大きさ: %1 ﾊﾞｲﾄ")

// The mail service: the mail reader, sending the mail written offline, the sent list.
#define MORVALINE_TEXTS_MAIL(X) \
    X(kMovedToMail, 16815, "ﾒｰﾙへ移動しました") \
    X(kMailSent, 16816, "ﾒｰﾙ '%1' を送信しました") \
    X(kHostMailDeleted, 16817, "ﾎｽﾄのﾒｰﾙ %1 を削除しました") \
    X(kNotSentToAll, 28717, "すべてのID宛には送信できませんでした") \
    X(kSentMailNotDeleted, 28718, "送信済みﾒｰﾙを削除できませんでした") \
    X(kSentMailAmbiguous, 28719, "同じ送信日の同じ題名の同じ宛先のﾒｰﾙが複数あるので、削除できません") \
    X(kAddresseeRefused, 28720, "宛先 %1 にはﾒｰﾙを送れませんでした") \
    X(kMailNotSent, 28721, "ﾒｰﾙ '%1' を送信できませんでした。予約はそのまま残してあります。") \
    X(kMailNotRead, 28722, "ﾒｰﾙ %1 を読み込めませんでした。予約はそのまま残してあります。") \
    X(kMailNotDownloaded, 28723, "ﾒｰﾙ %1 のﾌｧｲﾙを受信できませんでした。予約はそのまま残してあります。") \
    X(kHostMailNotDeleted, 28724, "ﾎｽﾄのﾒｰﾙ %1 を削除できませんでした") \
    X(kAddressBookNameTwice, 28725, "ｱﾄﾞﾚｽ帳に同じ名前が2つ以上存在します") \
    X(kAddresseesTooLong, 28726, "宛先IDが長すぎます。") \
    X(kAddresseeNotAnId, 28727, "宛先IDが正しく指定されていません") \
    X(kCharactersNotCarried, 28705, "ｲﾝﾀｰﾈｯﾄ ﾒｰﾙでは送れない文字 %1 を除いて送ります")

// The forum service: SIGs, forums, their rooms, messages and posts.
#define MORVALINE_TEXTS_FORUM(X) \
    X(kMovedToSig, 16818, "SIG '%1' へ移動しました") \
    X(kSigCodeChanged, 16819, "SIGの略名が '%1' に変更されています。") \
    X(kMovedToForum, 16820, "ﾌｫｰﾗﾑ '%1' へ移動しました") \
    X(kPosted, 16821, "発言 '%1' を登録しました") \
    X(kMessageNotFound, 16822, "\"%1\" は見つかりませんでした。既に削除されている可能性があります。") \
    X(kSigNotReached, 1151, "SIG '%1' へ移動できませんでした") \
    X(kForumNotReached, 1193, "ﾌｫｰﾗﾑ '%1' へ移動できませんでした") \
    X(kMessageNotDeleted, 28679, "'%1' は削除できませんでした") \
    X(kNotPosted, 28683, "発言 '%1' を登録できませんでした。予約はそのまま残してあります。") \
    X(kTagLikeBodyLine, 10240, "'%1' は発言の始まりではないので、本文として読み込みました") \
    X(kListCutShort, 10241, "一覧が %1 ﾍﾟｰｼﾞを超えたので、読み込みを打ち切りました")

// The tools: query and export, auto-deletion and the bulk operations, the log import.
#define MORVALINE_TEXTS_TOOLS(X) \
    X(kQuerySearching, 16900, "検索しています...") \
    X(kQueryNoResult, 16901, "検索結果は0個でした") \
    X(kQueryDatesReversed, 16902, "開始日付が終了日付より後になっています") \
    X(kQueryCountOutOfRange, 16903, "%1 は1から%2までの数を入力してください") \
    X(kQueryNoPlace, 16904, "検索を開始する場所が見つかりません") \
    X(kExportStopped, 16905, "ｴｸｽﾎﾟｰﾄは中止されました") \
    X(kExportOverwrite, 16906, "'%1' は既に存在します。本当に全てのﾌｧｲﾙを上書きして継続しますか?") \
    X(kExportBadFileName, 16907, "ﾌｧｲﾙ名 '%1' は使用できません") \
    X(kExportNoList, 16908, "'%1' にはｴｸｽﾎﾟｰﾄするﾒｯｾｰｼﾞがありません") \
    X(kExportWriteFailed, 16909, "%1 に書き込めません") \
    X(kExportRemoveFailed, 16910, "ｴｸｽﾎﾟｰﾄしたﾒｯｾｰｼﾞを削除できませんでした") \
    X(kAutoDeleteQuestion, 17100, "自動削除を実行してもよろしいですか?") \
    X(kAutoDeleteEmptiesQuestion, 17101, "自動削除を実行してもよろしいですか? 終了後、ごみ箱は空になります。") \
    X(kMovingToTrash, 17102, "ごみ箱に移動しています...") \
    X(kRestoring, 17103, "元に戻しています...") \
    X(kDeleteMarkedQuestion, 17104, "ﾏｰｸしたﾒｯｾｰｼﾞとそれに対するｺﾒﾝﾄをすべて削除してもよろしいですか? ｺﾒﾝﾄも削除したい場合は、[はい] を、ﾏｰｸしたﾒｯｾｰｼﾞだけを削除してｺﾒﾝﾄを残しておきたい場合は、[いいえ] を押してください。") \
    X(kTrashMarkedQuestion, 17105, "ﾏｰｸしたﾒｯｾｰｼﾞとそれに対するｺﾒﾝﾄをすべてごみ箱に移動してもよろしいですか? ｺﾒﾝﾄも移動したい場合は、[はい] を、ﾏｰｸしたﾒｯｾｰｼﾞだけを移動してｺﾒﾝﾄを残しておきたい場合は、[いいえ] を押してください。") \
    X(kRestoreMarkedQuestion, 17106, "ﾏｰｸしたﾒｯｾｰｼﾞに対するｺﾒﾝﾄもすべて元に戻しますか?") \
    X(kDeleteOneQuestion, 17107, "\"%1\" を削除してもよろしいですか?") \
    X(kDeleteOneWithSubItemsQuestion, 17108, "\"%1\" とその中身をすべて削除してもよろしいですか? 中身も削除したい場合は、[はい] を、ﾏｰｸしたﾒｯｾｰｼﾞだけを削除して中身を残しておきたい場合は、[いいえ] を押してください。") \
    X(kDeletePlaceQuestion, 17109, "'%1' の中身をすべて削除してもよろしいですか?") \
    X(kTrashOneQuestion, 17110, "ﾒｯｾｰｼﾞ  '%1' をごみ箱に移動してもよろしいですか?") \
    X(kTrashOneWithCommentsQuestion, 17111, "'%1' とそれに対するｺﾒﾝﾄをすべてごみ箱に移動してもよろしいですか? ｺﾒﾝﾄも移動したい場合は、[はい] を、選択したﾒｯｾｰｼﾞだけを移動してｺﾒﾝﾄを残しておきたい場合は、[いいえ] を押してください。") \
    X(kTrashPlaceQuestion, 17112, "'%1' の中身をすべてごみ箱に移動してもよろしいですか?") \
    X(kRestoreOneQuestion, 17113, "'%1' に対するｺﾒﾝﾄもすべて元に戻しますか?") \
    X(kShortcutToTrashQuestion, 17114, "ﾒｯｾｰｼﾞのｼｮｰﾄｶｯﾄはごみ箱に移動できません。削除しますか?") \
    X(kDeleteShortcutsQuestion, 17115, "ﾌｫﾙﾀﾞの中のｼｮｰﾄｶｯﾄや作文中のﾒｯｾｰｼﾞは削除されます。よろしいですか?") \
    X(kForbiddenDuringPatrol, 17116, "自動巡回中のこの操作は禁止されています。") \
    X(kImportFinished, 17117, "ｲﾝﾎﾟｰﾄが終了しました。") \
    X(kImportCancelled, 17118, "ｲﾝﾎﾟｰﾄは中止されました")

// The file check and the rebuild of a place's list.
#define MORVALINE_TEXTS_FILE_CHECK(X) \
    X(kCheckStarted, 17200, "ﾌｧｲﾙのﾁｪｯｸが開始しました") \
    X(kCheckTreeProblem, 17201, "場所ﾂﾘｰのﾁｪｯｸで異常を発見しました (ｴﾗｰ番号: %1)") \
    X(kCheckListProblemLog, 17202, "%1 のﾁｪｯｸで異常を発見しました。") \
    X(kCheckErrorNumber, 17203, "このｴﾗｰ番号は %1 です。") \
    X(kCheckRepairedSaved, 17204, "この異常は修復されました。過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは、%1 に保存されました。") \
    X(kCheckRepairedNoText, 17205, "この異常は修復されました。過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは存在しませんでした。") \
    X(kCheckFavouriteQuestion, 17206, "お気に入りのｼｮｰﾄｶｯﾄ \"%1\" のﾘﾝｸ先が見つかりませんでした。このお気に入りのｼｮｰﾄｶｯﾄを削除しますか?") \
    X(kCheckTwoTrashesQuestion, 17207, "ごみ箱が２つ以上存在します。修復しますか?") \
    X(kCheckEmptyTrashFirst, 17208, "先に、すべてのごみ箱を空にしてからこの動作を繰り返してください。") \
    X(kCheckTreeContinueQuestion, 17209, "場所ﾂﾘｰのﾁｪｯｸで異常を発見しました (ｴﾗｰ番号: %1)。ﾌｧｲﾙのﾁｪｯｸを続行しますか?") \
    X(kCheckCancelled, 17210, "ﾌｧｲﾙのﾁｪｯｸは中止されました") \
    X(kCheckRepairQuestion, 17211, "%1 のﾁｪｯｸで異常を発見しました (ｴﾗｰ番号: %2)。このﾌｧｲﾙを修復しますか?") \
    X(kCheckRebuiltContinue, 17212, "修復し、過去のﾒｯｾｰｼﾞから再構成に成功しました。念のため、過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは、%1 に保存されていますが、不要であれば削除してください。ﾌｧｲﾙのﾁｪｯｸを継続しますか?") \
    X(kCheckNotRebuiltContinue, 17213, "修復しましたが、過去のﾒｯｾｰｼﾞから再構成はできませんでした。過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは、%1 に保存されました。ﾌｧｲﾙのﾁｪｯｸを継続しますか?") \
    X(kCheckNoTextContinue, 17214, "修復しました。過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは存在しませんでした。継続しますか?") \
    X(kCheckBrokenShortcutLog, 17215, "%1 のﾘﾝｸ先が見つかりませんでした。") \
    X(kCheckBrokenShortcutQuestion, 17216, "ｼｮｰﾄｶｯﾄ \"%1\" のﾘﾝｸ先が見つかりませんでした。この場所のﾘﾝｸ先が見つからないｼｮｰﾄｶｯﾄをすべて削除しますか?") \
    X(kCheckListContinueQuestion, 17217, "%1 のﾁｪｯｸで異常を発見しました (ｴﾗｰ番号: %2)。ﾌｧｲﾙのﾁｪｯｸを続行しますか?") \
    X(kCheckFinishedClean, 17218, "ﾌｧｲﾙのﾁｪｯｸが終了しました。異常は見つかりませんでした。") \
    X(kCheckFinished, 17219, "ﾌｧｲﾙのﾁｪｯｸが終了しました。%1") \
    X(kCheckCounts, 17220, "%1 個の異常を発見し、そのうち、%2 個の異常が修復されました。") \
    X(kRebuildQuestion, 17221, "%1 の再構成を行います。再構成に失敗すると、ﾒｯｾｰｼﾞが失われることもあります。また、送信済みﾒｰﾙ、ｼｮｰﾄｶｯﾄ、作文中のﾒｯｾｰｼﾞは失われます。再構成は、ﾌｧｲﾙのﾁｪｯｸで異常が発生した場所だけ行ってください。継続しますか?") \
    X(kRebuildSucceeded, 17222, "再構成に成功しました。念のため、過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは、%1 に保存されていますが、不要であれば削除してください。") \
    X(kRebuildFailed, 17223, "過去のﾒｯｾｰｼﾞから再構成はできませんでした。過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは、%1 に保存されました。") \
    X(kRebuildNoText, 17224, "過去のﾒｯｾｰｼﾞ ﾌｧｲﾙは存在しませんでした。") \
    X(kCheckRepairedLength, 17225, "この異常は修復されました。ﾒｯｾｰｼﾞの長さをﾌｧｲﾙの終わりまでにしました。") \
    X(kCheckRunning, 17226, "ﾌｧｲﾙの整合性をﾁｪｯｸしています...")

// Places reached by their host path: boards, clubs, circles, posting places, paid services.
#define MORVALINE_TEXTS_PLACES(X) \
    X(kMovedToBoard, 16823, "掲示板 '%1' へ移動しました") \
    X(kMovedToClub, 16824, "ｸﾗﾌﾞ '%1' へ移動しました") \
    X(kMovedToPlace, 16825, "'%1' へ移動しました") \
    X(kPaidServiceRefused, 28740, "'%1' 有料ｻｰﾋﾞｽへの移行を禁止します") \
    X(kPlaceNotReached, 28741, "'%1' へ移動できませんでした") \
    X(kBoardNotReached, 28742, "掲示板 '%1' へ移動できませんでした") \
    X(kClubNotReached, 28743, "ｸﾗﾌﾞ '%1' へ移動できませんでした")

// Libraries (OSL): sections, file lists, descriptions, downloads and uploads.
#define MORVALINE_TEXTS_LIBRARY(X) \
    X(kMovedToLibrary, 16826, "OSL '%1' へ移動しました") \
    X(kFileUploaded, 16827, "'%1' をｱｯﾌﾟﾛｰﾄﾞしました") \
    X(kFileDownloaded, 16828, "'%1' をﾀﾞｳﾝﾛｰﾄﾞしました") \
    X(kLibraryNotReached, 28744, "OSL '%1' へ移動できませんでした") \
    X(kNoDocumentFile, 28745, "\"%1\"ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙが登録されていません。") \
    X(kNoDownloadFile, 28746, "\"%1\"ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙはありません。") \
    X(kUploadFailed, 28747, "'%1' へﾌｧｲﾙをｱｯﾌﾟﾛｰﾄﾞできません") \
    X(kDownloadFailed, 28748, "'%1' のﾀﾞｳﾝﾛｰﾄﾞに失敗しました") \
    X(kUploadStepFailed, 28749, "'%1' はｱｯﾌﾟﾛｰﾄﾞしましたが、続きの手順に失敗しました") \
    X(kPathTooLong, 28750, "ﾌｧｲﾙのﾊﾟｽが長すぎるため記録できません: %1") \
    X(kAlsoReceived, 16829, "同時に受信したﾌｧｲﾙ: %1")
// clang-format on

#define MORVALINE_DECLARE_TEXT(name, id, text) inline constexpr Text name{id, text};
namespace texts {
MORVALINE_TEXTS_EVENTS(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_STORE(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_TRANSFER(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_CONNECTION(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_PATROL(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_PATROL_RUN(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_RAPIDOX(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_MAIL(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_FORUM(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_TOOLS(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_PLACES(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_LIBRARY(MORVALINE_DECLARE_TEXT)
MORVALINE_TEXTS_FILE_CHECK(MORVALINE_DECLARE_TEXT)
}  // namespace texts
#undef MORVALINE_DECLARE_TEXT

// The text of an ID of the table; null for an unknown ID.
const Text* findText(int id);

// The Shift_JIS bytes of a text.
std::string textSjis(const Text& text);

// The text with "%1" and "%2" replaced by the given Shift_JIS arguments.
std::string formatText(const Text& text, std::string_view arg1 = {}, std::string_view arg2 = {});

}  // namespace morvaline
