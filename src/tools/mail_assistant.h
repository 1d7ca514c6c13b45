#pragma once
// The mail assistant ("ﾒｰﾙ ｱｼｽﾀﾝﾄ"): ordered rules move received mail out of the
// received-mail place, and sent mail out of the outgoing-mail place, into the user's mail
// folders. The first enabled rule that a mail matches decides; a rule's folder is a mail
// folder's number (the folder's target), 0 leaves the mail where it is.

#include <string>
#include <string_view>

#include "store/assist_rule.h"

namespace morvaline {

class ChangeNotices;
class CItemArray;
class CTolDoc;

// Kinds of mail for matching.
inline constexpr int kAssistText = 0x10;
inline constexpr int kAssistBinary = 0x20;
// The kind of a received mail from its flags, and of a sent mail from its kind code.
int receivedMailKind(std::uint32_t flags);
int sentMailKind(int itemKind);

// The reply-to address of a stored mail: the first "REPLY-TO:" line of its internet header
// block with its continuation lines, encoded words decoded, the address inside "<...>" or
// before "(...)", blanks and an "INET#" prefix removed. Empty without such a line.
std::string replyToAddress(std::string_view storedText);

bool matches(const CAssist& rule, std::string_view subject, std::string_view name,
             std::string_view id, std::string_view replyTo, int kind);
// source: the place of the mail that the sent mail answers or forwards (0 the received
// mail, above 0 a mail folder's number, -1 none).
bool matches(const CAssistSend& rule, std::string_view subject, std::string_view recipients,
             int source, int kind);

// The one-line descriptions of the rule lists (Shift_JIS).
std::string describe(const CAssist& rule, const CItemArray& tree);
std::string describe(const CAssistSend& rule, const CItemArray& tree);

// The mail folder with the given number, -1 when it is gone.
int findMailFolder(const CItemArray& tree, int number);

struct SortOutcome {
    int moved = 0;
    int failed = 0;  // mails that a rule would move but that stayed (a folder could not be written)
};

// Sorts the received mail (kind -17; with onlyLatest, only that of the current patrol
// generation) by the document's received-mail rules.
SortOutcome SortReceivedMail(CTolDoc& doc, bool onlyLatest, ChangeNotices* notices = nullptr);
// Sorts the sent mail (kinds -22, -20, -13) of the outgoing-mail place likewise.
SortOutcome SortSentMail(CTolDoc& doc, bool onlyLatest, ChangeNotices* notices = nullptr);

}  // namespace morvaline
