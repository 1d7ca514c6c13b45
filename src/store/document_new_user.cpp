// Building the data set of a new user: menus, rules, the default place tree, templates,
// the standard reservation pattern, a welcome message and the address book's root.

#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/reserve_defaults.h"
#include "store/template_markers.h"

namespace morvaline {
namespace {

constexpr std::size_t kMaxTemplateText = 599;
constexpr int kFirstTemplateIdentifier = 0x6000;

struct DefaultTemplate {
    const char* name;
    const char* text;  // "(" and ")" mark the fields
};

constexpr const char* kUploadForm =
    "====================================================================\r\n"
    "【ソ フ ト名】  (題名)\r\n"
    "【登  録  名】  (ﾌｧｲﾙ名大文字)\r\n"
    "【バイト  数】  (ﾌｧｲﾙｻｲｽﾞ) Bytes\r\n"
    "【検索  キー】  (検索ｷｰ)\r\n"
    "【著作権  者】  (私のﾊﾝﾄﾞﾙ名) (私のID)\r\n"
    "【対応  機種】\r\n"
    "【作成  方法】\r\n"
    "【ｿﾌﾄｳｪｱ種別】\r\n"
    "【ｻﾎﾟｰﾄ 会議】\r\n"
    "【転載　条件】\r\n"
    "====================================================================\r\n"
    "【ソフト紹介】\r\n"
    "\r\n"
    "\r\n"
    "====================================================================\r\n"
    "\r\n"
    "ダウンロードファイル名を『(ﾌｧｲﾙ名大文字)』としてください。\r\n";

constexpr DefaultTemplate kTemplates[] = {
    {"ﾒｰﾙの送信用", "こんにちは。\r\n\r\n\r\n(私のﾊﾝﾄﾞﾙ名)\r\n"},
    {"ﾒｰﾙの返信用", "(相手ﾊﾝﾄﾞﾙ名) さん、こんにちは。\r\n\r\n\r\n(私のﾊﾝﾄﾞﾙ名)\r\n"},
    {"ﾒｰﾙの転送用", "(相手ﾊﾝﾄﾞﾙ名) さんからのメールを転送します。\r\n\r\n\r\n(私のﾊﾝﾄﾞﾙ名)\r\n"},
    {"発言用", "こんにちは。\r\n\r\n\r\n(私のﾊﾝﾄﾞﾙ名)  Morvaline (ﾊﾞｰｼﾞｮﾝ)\r\n"},
    {"ｺﾒﾝﾄ用",
     "(相手のLUDRIX-URL) へのコメントです。\r\n(相手ﾊﾝﾄﾞﾙ名) さん、こんにちは。\r\n\r\n\r\n"
     "(私のﾊﾝﾄﾞﾙ名)  Morvaline (ﾊﾞｰｼﾞｮﾝ)\r\n"},
    {"OSL補足説明用", kUploadForm},
    {"発言者へのﾒｰﾙ送信用", "(相手ﾊﾝﾄﾞﾙ名) さん、こんにちは。\r\n\r\n\r\n(私のﾊﾝﾄﾞﾙ名)\r\n"},
};

constexpr const char* kWelcomeText =
    "Morvaline をお使いいただき、ありがとうございます。\r\n"
    "\r\n"
    "自動巡回で LUDRIX に接続すると、予約した場所を順に回り、メール、\r\n"
    "フォーラム、掲示板の新しいメッセージをまとめて受け取ります。\r\n"
    "受け取ったメッセージは回線を切ったあとで読み、返事を書いておけば、\r\n"
    "次の自動巡回で送信されます。\r\n";

struct PlaceRow {
    int parent;
    const char* id;
    const char* title;
    int kind;
};

// The default place tree, in index order.
constexpr PlaceRow kDefaultTree[] = {
    {-1, "MAIN", "LUDRIX", kind::kRoot},
    {0, "", "電子ﾒｰﾙ", kind::kFolder},
    {1, "MAIL", "受信ﾒｰﾙ", kind::kReceivedMail},
    {1, "MAIL", "送信ﾒｰﾙ", kind::kSentMail},
    {0, "~MSGTMPL", "ﾃﾝﾌﾟﾚｰﾄ", kind::kTemplates},
    {0, "", "SIG", kind::kFolder},
    {0, "", "掲示板", kind::kFolder},
    {0, "", "ｸﾗﾌﾞ", kind::kFolder},
    {0, "", "ｻｰｸﾙ", kind::kFolder},
    {0, "", "ｻｰﾋﾞｽ案内", kind::kFolder},
    {9, "BILL3M", "料金情報", kind::kBilling},
    {9, "CLIP", "ｸﾘｯﾋﾟﾝｸﾞ ｻｰﾋﾞｽ", kind::kClipping},
    {9, "NEW", "新しいお知らせ", kind::kNewNotices},
    {0, "", "お気に入り", kind::kFavourites},
    {1, "MAIL", "送信簿", kind::kSentLog},
    {0, "~TRASH", "ごみ箱", kind::kTrash},
};

constexpr int kReceivedMailIndex = 2;
constexpr int kSentMailIndex = 3;
constexpr int kTemplatesIndex = 4;
constexpr int kNewNoticesIndex = 12;

}  // namespace

void CTolDoc::buildNewUser(std::string_view password) {
    empty();
    password_ = std::string(password.substr(0, kMaxPassword));
    fillDefaultMenus(menus_);
    deleteRules_.addDefaults();

    for (const PlaceRow& row : kDefaultTree)
        tree_.add(row.parent, 0, 0, row.id, sj(row.title), row.kind, 0, fileTimeNow(), {}, {}, 0);
    tree_.setFlags(0, ITEM_FLAG_ROOT, ITEM_FLAG_ROOT);
    tree_.setBody(kSentMailIndex, 1);
    tree_.setReserve(kReceivedMailIndex, menu(kind::kReceivedMail).idAt(0));
    tree_.setReserve(kNewNoticesIndex, menu(kind::kNewNotices).idAt(0));

    addDefaultTemplates();
    setEditorSettings(EditorSettings::defaults());
    patterns_.push_back({sj("標準の予約ﾊﾟﾀｰﾝ"), {}});
    ints_[docint::kCurrentPattern] = 0;
    settings_.rapidoxSendSize = 20;
    settings_.rapidoxReceiveSize = 20;
    addWelcomeMessage();
    addressBook_.addNode(-1, CAddr::kFolder, 0, "", sj("ｱﾄﾞﾚｽ帳"));
    times_[doctime::kCreated] = fileTimeNow();
    if (!save() && error_.empty()) error_ = "save";
    closeFlag_ = 1;
}

void CTolDoc::addDefaultTemplates() {
    CItemArray* list = openList(kTemplatesIndex);
    if (!list) {
        error_ = "templates";
        return;
    }
    int numbers[std::size(kTemplates)] = {};
    for (std::size_t i = 0; i < std::size(kTemplates); ++i) {
        const int number = nextFileNumber(FileCounter::T);
        std::string text = sj(kTemplates[i].text);
        text.resize(std::min(text.size(), kMaxTemplateText));
        for (char& c : text) {
            if (c == '(') c = kTemplateFieldOpen;
            else if (c == ')') c = kTemplateFieldClose;
        }
        char name[32];
        std::snprintf(name, sizeof name, "~T%06d.MSG", number);
        if (!writeFileAtomically(dataDir_ / name, text)) error_ = name;
        // The name goes into the name field: a template's title becomes the title of every
        // item written from it, and the default templates leave the title to the use.
        const int index = list->add(0, number, 0, "", "", kind::kTemplate, 0, fileTimeNow(), {},
                                    sj(kTemplates[i].name));
        list->setAux(index, kFirstTemplateIdentifier + static_cast<int>(i));
        list->setFlags(index, ITEM_FLAG_READ, ITEM_FLAG_READ);
        numbers[i] = number;
    }
    closeList(list);
    // Slots 0 ... 6 use the seven templates; the board, club and circle slots alternate
    // between the message template (4) and the comment template (5).
    for (std::size_t slot = 0; slot < kTemplateSlots; ++slot) {
        const std::size_t use = slot < 7 ? slot : (slot - 7) % 2 == 0 ? 3 : 4;
        templateSlots_[slot] = {numbers[use], 0};
    }
}

void CTolDoc::addWelcomeMessage() {
    CItemArray* list = openList(kReceivedMailIndex);
    if (!list) return;
    const std::string text = sj(kWelcomeText);
    int lines = 0;
    for (const char c : text) lines += c == '\n';
    if (const auto offset = list->appendText(text)) {
        const int index = list->add(0, 0, static_cast<int>(*offset), "Morvaline",
                                    textSjis(texts::kWelcomeTitle), kind::kReceivedMailMessage,
                                    lines, fileTimeNow(), {}, "Morvaline");
        list->setLength(index, static_cast<int>(text.size()));
        list->setGeneration(index, generation());
    }
    closeList(list);
}

}  // namespace morvaline
