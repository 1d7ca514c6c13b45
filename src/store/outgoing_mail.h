#pragma once
// Mails written offline. Each waits as an item of the outgoing-mail place ("送信ﾒｰﾙ",
// kind 5, ID "MAIL") until a patrol sends it; its text lives in a numbered file
// "~C%06d.MSG" of the user's data folder (lines separated by LF, as the editor saves them),
// whose number is the item's number. The recipients are the item's long text, addresses
// separated by ","; a file mail names its local file (a UTF-8 path) in the item's path.

#include <string>
#include <string_view>

namespace morvaline {

class CItem;
class CItemArray;
class CTolDoc;

// The outgoing-mail place of the tree: the first place of kind 5 with the ID "MAIL"; -1.
int findOutgoingMailPlace(const CItemArray& tree);

// The name of the numbered text file of an item written offline ("~T%06d.MSG" for a
// template, "~C%06d.MSG" otherwise); empty when the item has none (number 0).
std::string ownTextFileName(const CItem& item);

// The reservation that makes a patrol send an outgoing mail, and the one of a mail still
// being written, which the patrol leaves alone.
inline constexpr int kReserveSend = 5;
inline constexpr int kReserveBeingWritten = 1;

struct NewMailRequest {
    std::string recipients;  // Shift_JIS addresses separated by ","
    std::string title;       // Shift_JIS; empty: "新しいﾒｰﾙ"
    std::string text;        // Shift_JIS body, lines separated by LF
    std::string filePath;    // not empty: a file mail of this local file (UTF-8 path)
    bool reserve = false;    // reserved for the next patrol at once
};

// Adds a mail (kind -6), or a file mail (kind -21), to the outgoing-mail place, with its text
// file written first. Returns its index in the place's list, or -1 with *error (UTF-8) set;
// nothing is left behind then.
int NewMail(CTolDoc& doc, const NewMailRequest& request, std::string* error);

struct ForwardRequest {
    int sourcePlace = -1;    // the place in the tree that holds the received mail
    int sourceIndex = -1;    // the received mail (kind -17) in that place's list
    std::string recipients;  // Shift_JIS addresses separated by ","
    std::string title;       // Shift_JIS; empty: the received mail's title
    std::string text;        // the comment sent before the forwarded mail
    bool reserve = false;
};

// Adds a forward (kind -19) of a received mail to the outgoing-mail place, and under the
// received mail the shortcut "転送ﾒｰﾙへのｼｮｰﾄｶｯﾄ" that links the two: the shortcut's number
// and offset hold the serials of the outgoing place and of the forward; the forward holds
// the shortcut's serial in its reference count and the source place's serial in its target.
// Returns the forward's index, or -1 with *error set.
int ForwardMail(CTolDoc& doc, const ForwardRequest& request, std::string* error);

// The received mail that a forward forwards: its place in the tree and its index there;
// false when it cannot be found any more.
bool findForwardedMail(CTolDoc& doc, const CItem& forward, int& place, int& index);

}  // namespace morvaline
