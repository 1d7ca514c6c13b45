#pragma once
// Items written offline: mails waiting in the outgoing-mail place ("送信ﾒｰﾙ", kind 5, ID
// "MAIL"), posts waiting in their places, and templates. Each keeps its text in a numbered
// file of the user's data folder ("~C%06d.MSG", "~T%06d.MSG" for a template; lines
// separated by LF, as the editor saves them), whose number is the item's number. A mail's
// recipients are the item's long text, addresses separated by ","; a file mail names its
// local file (a UTF-8 path) in the item's path, a mail with attachments their paths
// separated by LF. The operations that write such items are in message/outgoing_items.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class CItem;
class CItemArray;
class CTolDoc;

// The outgoing-mail place of the tree: the first place of kind 5 with the ID "MAIL"; -1.
int findOutgoingMailPlace(const CItemArray& tree);
// The template place ("~MSGTMPL", kind 6); -1.
int findTemplatePlace(const CItemArray& tree);

// Items whose text is a numbered file of their own rather than a part of their place's
// text file: templates and items waiting to be sent.
bool hasOwnTextFile(const CItem& item);
// The name of the numbered text file of an item written offline ("~T%06d.MSG" for a
// template, "~C%06d.MSG" otherwise); empty when the item has none (number 0).
std::string ownTextFileName(const CItem& item);

// The reservation that makes a patrol send an outgoing mail, the one that makes it post a
// message, and the one of a mail still being written, which the patrol leaves alone.
inline constexpr int kReserveSend = 5;
inline constexpr int kReservePost = 6;
inline constexpr int kReserveBeingWritten = 1;

// On a template item: replies made from it count their level ("RE^2:", "RE^3:" ...).
inline constexpr std::uint32_t ITEM_FLAG_COUNTED_REPLY = 0x1000;
// On an outgoing mail: saved before the host is given the mail and cleared once the run
// knows whether the host took it, so that a run that ended in between (a lost line, a
// killed program) is not followed by a second copy of the mail.
inline constexpr std::uint32_t ITEM_FLAG_BEING_SENT = 0x80000;

// Writes the text of a new item to the next free numbered file ("~T" for a template, else
// "~C"; CR LF and CR become LF); its number, or 0 with *error (UTF-8) set.
int writeOwnText(CTolDoc& doc, bool isTemplate, std::string_view text, std::string* error);
// Removes the numbered text file of an item again.
void removeOwnText(CTolDoc& doc, const CItem& item);

// Adds an item written offline (its text file already written) to a list, under parent
// (a comment hangs under the message it answers), and saves the list; its index, or -1
// with *error set and the text file removed.
int addOwnItem(CTolDoc& doc, CItemArray& list, const CItem& item, std::string* error,
               int parent = 0);

// Links a new outgoing item to the message it answers or forwards: a shortcut titled
// `title` under the source message, whose number and offset hold the serials of the
// outgoing place and of the new item; the new item holds the shortcut's serial in its
// reference count and the source place's serial in its target. Both lists are saved;
// false with *error set when they cannot be.
bool linkToSource(CTolDoc& doc, CItemArray& source, int sourceIndex, int sourcePlace,
                  CItemArray& list, int index, int place, std::string_view title,
                  std::string* error);

// The files attached to a mail item: its path, paths separated by LF.
std::vector<std::string> attachedFiles(const CItem& item);

// The received mail that a forward forwards: its place in the tree and its index there;
// false when it cannot be found any more.
bool findForwardedMail(CTolDoc& doc, const CItem& forward, int& place, int& index);

}  // namespace morvaline
