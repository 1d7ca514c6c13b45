#pragma once
// Writing offline: new mails, replies, forwards and templates become items that wait for
// the patrol. Each operation chooses the place that holds the item, its template and its
// title, writes the item's text file (the template with its fields expanded, when asked,
// and the caller's text inserted into it), adds the item and links it to the message it
// answers. Texts are Shift_JIS; local paths UTF-8.

#include <string>
#include <string_view>
#include <vector>

#include "message/templates.h"

namespace morvaline {

class CItem;
class CTolDoc;

// The uses of templates, in the order of the document's slots.
enum class TemplateUse {
    SendMail = 0,      // 電子ﾒｰﾙの送信
    ReplyMail = 1,     // 電子ﾒｰﾙの返信
    ForwardMail = 2,   // 電子ﾒｰﾙの転送
    ForumMessage = 3,  // SIGﾌｫｰﾗﾑの発言
    ForumComment = 4,  // SIGﾌｫｰﾗﾑのｺﾒﾝﾄ
    UploadNote = 5,    // OSL補足説明用
    MailToAuthor = 6,  // 発言者へ電子ﾒｰﾙの送信
    BoardMessage = 7,
    BoardComment = 8,
    ClubMessage = 9,
    ClubComment = 10,
    CircleMessage = 11,
    CircleComment = 12,
};

// How the text of a new item starts.
struct TemplateOptions {
    static constexpr int kChosen = -1;
    // kChosen: the template of the place or the document for the use; 0: none; else the
    // number of a template.
    int number = kChosen;
    // Start the text from the template, its fields expanded and the caller's text inserted
    // after its first empty line; otherwise the caller's text is the whole text.
    bool expand = false;
    const DateLocale* locale = nullptr;  // for the date and time fields (none: empty)
    FileTime now = 0;                    // the creation time; 0: the current time
};

// What an operation made.
struct Written {
    int index = -1;               // the new item in its place's list; -1 on failure
    bool openProperties = false;  // the use asks to open the item's property window at once
    std::string error;            // UTF-8, when index is -1
};

// --- Building blocks (also for posts in forum rooms, boards, clubs and circles) --------------
// The template for a use: the place's own choice (0: the document's slot; -1: none).
int templateFor(const CTolDoc& doc, int placeChoice, TemplateUse use);
// The template item of a number; false when there is none.
bool findTemplate(CTolDoc& doc, int number, CItem& templateItem);
// The title of a new item: the template's title when it has one; for replies and comments
// (replyTo: the answered title) a template marked ITEM_FLAG_COUNTED_REPLY makes the reply
// title again in the counting style; otherwise defaultTitle. At most 72 bytes.
std::string titleFor(CTolDoc& doc, int templateNumber, std::string_view defaultTitle,
                     const std::string* replyTo);
// The field record of a new item answering `source` (null: answering nothing).
TemplateFields fieldsFor(const CTolDoc& doc, const CItem* sourcePlace, const CItem* source,
                         std::string_view title, FileTime now);
// The text a new item starts with: the template expanded, with `insert` after its first
// empty line (at the end when it has none); just `insert` without a template.
std::string startText(CTolDoc& doc, int templateNumber, const TemplateFields& fields,
                      const DateLocale* locale, std::string_view insert);
// The text of a message as a reply quotes it: the readable text (a mail decoded, without
// the host's header block), every line behind the editor's quote mark.
std::string quotedText(CTolDoc& doc, int place, const CItem& message);

// --- The operations --------------------------------------------------------------------------
struct NewMailRequest {
    std::string recipients{};                // addresses or address-book names separated by ","
    std::string title{};                     // empty: the template's title or "新しいﾒｰﾙ"
    std::string text{};                      // lines separated by LF (CR LF and CR are taken too)
    std::string filePath{};                  // not empty: a file mail of this local file
    bool reserve = false;                    // reserved for the next patrol at once
    std::vector<std::string> attachments{};  // local files sent with the mail (internet mail)
    int fromPlace = -1;  // the place the command came from (a mail place keeps its mail)
    TemplateOptions options{};
};
// Adds a mail (kind -6) or a file mail (kind -21, no template) to the outgoing-mail place.
Written NewMail(CTolDoc& doc, const NewMailRequest& request);

struct ReplyRequest {
    int sourcePlace = -1;      // the place in the tree that holds the answered message
    int sourceIndex = -1;      // the message in that place's list
    std::string recipients{};  // empty: the sender's address, else its ID
    std::string title{};       // empty: the template's title or the reply subject
    std::string text{};        // inserted after the quote
    bool quote = true;         // the answered text goes in, behind the quote mark
    bool reserve = false;
    TemplateOptions options{};
};
// Adds a mail answering a received mail, or a mail to the author of a forum message, with
// the shortcut "返信ﾒｰﾙへのｼｮｰﾄｶｯﾄ" or "発言者へのﾒｰﾙのｼｮｰﾄｶｯﾄ" under the message.
Written ReplyMail(CTolDoc& doc, const ReplyRequest& request);

struct ForwardRequest {
    int sourcePlace = -1;  // the place in the tree that holds the received mail
    int sourceIndex = -1;  // the received mail (kind -17) in that place's list
    std::string recipients{};
    std::string title{};  // empty: the template's title or the forward subject
    std::string text{};   // the comment sent before the forwarded mail
    bool reserve = false;
    TemplateOptions options{};
};
// Adds a forward (kind -19) of a received mail, and under the received mail the shortcut
// "転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ" that links the two.
Written ForwardMail(CTolDoc& doc, const ForwardRequest& request);

struct PostRequest {
    int place = -1;       // the room, board, club, circle or library section that takes it
    int commentTo = 0;    // the message it comments on, by its index in the place's list; 0: none
    std::string title{};  // empty: the template's title, the reply subject of the message
                          // commented on, or "新しいﾒｯｾｰｼﾞ" ("新しいﾌｧｲﾙ" in a library section)
    std::string text{};   // lines separated by LF
    bool reserve = false;
    TemplateOptions options{};
    std::string filePath{};  // an upload: the local file (a UTF-8 path)
    int fileKind = 16;       // an upload: the index of its file kind ("その他")
};
// Adds a message or a comment (kind -14), or in a library section an upload (kind -23), to
// the place's list; a comment names the number it answers in its target and, in a
// threaded place, hangs under that message.
Written NewPost(CTolDoc& doc, const PostRequest& request);

// Adds a template (kind -16) to the template place, its text as given (fields as 0x01 ...
// 0x02). A named template keeps its name in the name field and has no title; an unnamed
// one is titled "新しいﾃﾝﾌﾟﾚｰﾄ".
Written NewTemplate(CTolDoc& doc, std::string_view name = {}, std::string_view text = {});

}  // namespace morvaline
