#include "patrol/services/mail/mail_header.h"

#include "patrol/services/mail/mail_list_lines.h"
#include "patrol/services/mail/mail_texts.h"
#include "store/host_date.h"

namespace morvaline {
namespace {

constexpr std::size_t kKeyWidth = 9;    // "#dddddddd"
constexpr std::size_t kKeyDateAt = 18;  // the date after the key
constexpr std::size_t kLeadingDateWidth = 18;

const std::string& titleLabel() {
    return mailTexts().titleLabel;
}

bool startsWithKey(std::string_view line) {
    if (line.size() < kKeyWidth || line[0] != '#') return false;
    for (std::size_t i = 1; i < kKeyWidth; ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

}  // namespace

std::string_view headerDateText(std::string_view firstLine) {
    if (startsWithKey(firstLine))
        return firstLine.size() > kKeyDateAt ? firstLine.substr(kKeyDateAt) : std::string_view();
    return firstLine.substr(0, kLeadingDateWidth);
}

bool titleMatchesListed(std::string_view headerTitle, std::string_view listedTitle) {
    return trimBlanks(headerTitle).starts_with(trimBlanks(listedTitle));
}

MailHeaderBlock::MailHeaderBlock(std::string firstLine) : lines_{std::move(firstLine), ""} {}

bool MailHeaderBlock::addLine(std::string line) {
    // The one empty line after the first line is the block's own, whether or not the host
    // shows it.
    if (complete_ || (lines_.size() == 2 && line.empty())) return complete_;
    complete_ = line.starts_with(titleLabel());
    lines_.push_back(std::move(line));
    return complete_;
}

std::string_view MailHeaderBlock::title() const {
    if (!complete_) return {};
    return std::string_view(lines_.back()).substr(titleLabel().size());
}

MailSender MailHeaderBlock::sender() const {
    for (std::size_t i = 2; i < lines_.size(); ++i)
        if (MailSender sender = parseSenderLine(lines_[i]); !sender.address.empty()) return sender;
    return {};
}

FileTime MailHeaderBlock::date() const {
    return parseHostDate(headerDateText(lines_.front()));
}

}  // namespace morvaline
