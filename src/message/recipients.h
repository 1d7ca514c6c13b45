#pragma once
// The recipients of a mail: address-book names replaced by their addresses, and each
// recipient written as an internet address for a "To:" line. Texts are Shift_JIS.

#include <string>
#include <string_view>

namespace morvaline {

class CAddrArray;
class CTolDoc;

// The internet mail domains that addresses are written with: the network's own (the
// user's address), and those of the gateways that "LDX>" and "CIS>" recipients reach.
struct MailDomains {
    std::string own = "ludrix.example";
    std::string ludrix = "ludrix.example";
    std::string cis = "cis.example";
};
// The domains set in the user's document; a setting left empty keeps its default.
MailDomains mailDomainsOf(const CTolDoc& doc);

// A recipient as the "To:" line writes it: a host ID (1 to 8 letters A-Z and digits) as it
// is; "INET:" or "INET#" and an address without the prefix; "LDX>" or "CIS>" and an ID
// with the gateway's domain; anything else as it is. Control bytes are left out.
std::string ConvertMailAddress(std::string_view recipient, const MailDomains& domains);

// True for a recipient that goes out through the internet gateway.
bool isInternetRecipient(std::string_view recipient);

enum class RecipientError {
    None,
    DuplicateName,  // two address-book entries carry the name:
                    // "ｱﾄﾞﾚｽ帳に同じ名前が2つ以上存在します"
    TooLong,        // the list would pass 19,999 characters: "宛先IDが長すぎます。"
    NotAnId,  // strict IDs and a recipient that is none: "宛先IDが正しく指定されていません"
};

struct ExpandedRecipients {
    std::string list;  // the recipients joined by ","; empty after an error
    RecipientError error = RecipientError::None;
    std::string failed;  // the recipient that caused the error
};

// Replaces every recipient of a comma-separated list that is the name of an address-book
// entry by that entry's address. With strict IDs, every recipient must then be a host ID,
// an address with "@", or a gateway form ("F...", "INET#", "TRUNKGW#", "STAR#", "ORVEN#",
// "INET:", "LDX>", "CIS>"). An error stops the expansion and leaves no partial list.
ExpandedRecipients ExpandRecipients(std::string_view list, const CAddrArray& book, bool strictIds);

}  // namespace morvaline
