#pragma once
// The host's texts of the library service, in Shift_JIS: a library's menu of sections, a
// section's file list, descriptions and the download dialogue, with the screen sets the
// service waits for.

#include <array>
#include <string>

#include "patrol/engine/wait_outcome.h"

namespace morvaline {

struct LibraryTexts {
    LibraryTexts();
    LibraryTexts(const LibraryTexts&) = delete;
    LibraryTexts& operator=(const LibraryTexts&) = delete;

    // The prompts of a library's menu and of the menus of its groups.
    std::array<std::string, 5> menuPrompts;
    // Entries of a library's menu that are not sections.
    std::array<std::string, 3> cornerEntries;
    std::string separator;  // "　－": a line between entries
    std::string wrongCommand;  // "番号またはコマンドが間違っています。訂正して下さい。"

    // After "2" at a section's menu: the list's heading (three forms), or no list.
    std::string searchFirst;  // "◎検索条件を設定して下さい。"
    std::string priceHeading;
    std::string accessHeading;
    std::string noData;  // "選択されたサービスのデータは、現在登録されていません。"
    enum class ListStart { Search, PriceHeading, NoData, Wrong, AccessHeading };
    Screen<ListStart, 5> listStart;
    std::string backwardMode;  // "<BM>": the list answers "RV" first

    // After a description: the prompts of the file list (at the start of a line).
    std::array<std::string, 4> readPrompts;
    std::string noDocument;  // "ドキュメントファイルが登録されていません。"

    // "DL": the download menu, or the host's refusal.
    std::string downloadMenu;  // "番号またはコマンド(M,S,F,H,Q,J)="
    std::string noDownload;    // "\nダウンロードファイルはありません"
    enum class DownloadOffer { Menu, NoFile, Wrong };
    Screen<DownloadOffer, 3> downloadOffer;
    std::string confirmJ;      // "よろしいですか(Y,N,J)="
    std::string protocolAsk;   // "プロトコル="
    std::string rapidox;       // "Ｒａｐｉｄｏｘ"

    // Registering an upload, at the menu of a section's registration corner.
    std::string registrationEntry;  // "登録": the section's menu entry that leads there
    std::string askRegistrant;      // "登録者ＩＤを入力して下さい(M,S,F,H,Q,J)="
    std::string startUpload;        // "(Rapidox:アップロード)"
    enum class UploadStart { AskRegistrant, Transfer };
    Screen<UploadStart, 2> uploadStart;
    std::string uploadDone;     // "正常終了"
    std::string alreadyThere;   // "登録済み"
    std::string uploadBroken;   // "異常終了"
    enum class Uploaded { Done, AlreadyThere, Broken };
    Screen<Uploaded, 3> uploaded;
    std::string documentAsk;    // "ドキュメントを入力して下さい。\r\n"
    std::string confirmText;    // "これでよろしいですか(Y,N)="
    std::string finishAsk;      // "\n完了しますか(Y,N,J)="
    std::string documentMenu;   // "ファイル名またはコマンド(M,S,F,H,Q,WCn,J)="
    std::string registrationMenu;  // "番号またはコマンド(M,S,F,H,Q,DP,J)="
    std::string pendingHeading;  // the heading of the "DP" list of registrations
    std::string commentAsk;      // "\n>"
    std::string commentConfirm;  // "よろしいですか(Y,N)="
    std::string cancelWord;      // "中止": the classification menu's prompt offers it
    std::string registerConfirm;  // "これでよろしいですか(Y/N)="
    std::string registeredMenu;   // "\n番号またはコマンド"
    std::string registeredReturn;  // "\nリターンキーを押して下さい"
};

const LibraryTexts& libraryTexts();

}  // namespace morvaline
