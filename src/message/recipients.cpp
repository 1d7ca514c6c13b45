#include "message/recipients.h"

#include <array>

#include "platform/text_trim.h"
#include "store/address_book.h"
#include "store/document.h"

namespace morvaline {
namespace {

constexpr std::size_t kMaxList = 19999;
constexpr std::array<std::string_view, 7> kGatewayForms = {"INET#", "TRUNKGW#", "STAR#", "ORVEN#",
                                                           "INET:", "LDX>",     "CIS>"};

bool isHostId(std::string_view r) {
    if (r.empty() || r.size() > 8) return false;
    for (const char c : r)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

std::string withoutControls(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    return out;
}

std::string_view trimmed(std::string_view text) {
    return trim(text, " \t");
}

std::string orDefault(const std::string& value, const std::string& fallback) {
    return value.empty() ? fallback : value;
}

}  // namespace

MailDomains mailDomainsOf(const CTolDoc& doc) {
    const MailDomains defaults;
    return {orDefault(doc.string(docstr::kOwnMailDomain), defaults.own),
            orDefault(doc.string(docstr::kLudrixGatewayDomain), defaults.ludrix),
            orDefault(doc.string(docstr::kCisGatewayDomain), defaults.cis)};
}

std::string ConvertMailAddress(std::string_view recipient, const MailDomains& domains) {
    const std::string r = withoutControls(recipient);
    const std::string_view text = r;
    if (isHostId(text)) return r;
    if (text.starts_with("INET:") || text.starts_with("INET#")) return r.substr(5);
    if (text.starts_with("LDX>")) return r.substr(4) + "@" + domains.ludrix;
    if (text.starts_with("CIS>")) return r.substr(4) + "@" + domains.cis;
    return r;
}

bool isInternetRecipient(std::string_view recipient) {
    return recipient.find('@') != std::string_view::npos || recipient.starts_with("INET#") ||
           recipient.starts_with("INET:");
}

ExpandedRecipients ExpandRecipients(std::string_view list, const CAddrArray& book, bool strictIds) {
    ExpandedRecipients out;
    auto fail = [&out](RecipientError error, std::string_view piece) {
        out.list.clear();
        out.error = error;
        out.failed = piece;
        return out;
    };
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view piece = trimmed(list.substr(start, comma - start));
        start = comma + 1;
        if (piece.empty()) continue;
        std::string expanded(piece);
        int matches = 0;
        for (const CAddr& entry : book.nodes()) {
            if (entry.type == CAddr::kFolder || entry.name != piece) continue;
            if (++matches > 1) return fail(RecipientError::DuplicateName, piece);
            expanded = entry.address;
        }
        if (strictIds && !isHostId(expanded) && !expanded.starts_with("F") &&
            expanded.find('@') == std::string::npos) {
            bool gateway = false;
            for (const auto form : kGatewayForms) gateway = gateway || expanded.starts_with(form);
            if (!gateway) return fail(RecipientError::NotAnId, piece);
        }
        if (!out.list.empty()) out.list += ',';
        out.list += expanded;
        if (out.list.size() > kMaxList) return fail(RecipientError::TooLong, piece);
    }
    return out;
}

}  // namespace morvaline
