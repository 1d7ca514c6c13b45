#pragma once
// The steps of the host's mail writer (after "JSEND" or "FW") that sending one mail is made
// of: giving an addressee, entering and sending a text, uploading a file, forwarding a file
// mail, and what becomes of the item once the host confirmed it. Patrol thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "patrol/engine/outgoing_text.h"
#include "patrol/services/mail/mail_service.h"

namespace morvaline {

enum class Addressee {
    Accepted,
    Refused,  // an unknown ID or a bad address
    Absent,   // the host answered with the addressee's absence notice
    RunOver,
};
// Gives the host one addressee at its addressee prompt ("INET#" in front of an address with
// an at sign); answer receives what the host said.
Addressee askAddressee(CPatrolEngine& engine, const std::string& address, std::string& answer);
// The absence notice in the host's answer: its lines after "不在中の為，...".
std::vector<std::string> absenceNotice(std::string_view answer);
// Stores an absence notice as a new item "不在通知" of the place.
void storeAbsenceNotice(CPatrolEngine& engine, int generation, CItemArray& list,
                        const std::string& address, const std::vector<std::string>& notice);

// What a mail the host confirmed becomes.
struct SentRecord {
    int kind = kind::kSentMailMessage;
    std::int64_t offset = 0;  // its text in the place's text file
    long long bytes = 0;
    int lines = 0;
    std::uint32_t flags = 0;  // added to the item's
};

// At the end of the addressees: the text entry of the title, the item's text (the store
// records each line; see reserved_text.h) and the appended lines, then "G". The record,
// or empty when the host did not confirm the mail: the place's text file is cut back to
// where the text began, and the host's text entry cancelled when it can be.
std::optional<SentRecord> sendText(CPatrolEngine& engine, CItemArray& list, int place, int index,
                                   const std::string& titleLine, const OutgoingText& text,
                                   const std::vector<std::string>& appended);
// At the additional-addressee prompt: "UP" and a Rapidox upload of the file. Done only when
// the transfer succeeded.
MailStep uploadFile(CPatrolEngine& engine, const std::string& title, const std::string& path);
// At the end of the addressees of a forwarded file mail: its title, then "Y".
MailStep forwardFile(CPatrolEngine& engine, const std::string& title);

// The host confirmed the item: it becomes the sent item of the record, and once the list
// that records it is saved its own text file goes (its text is in the place's file now).
void finishSent(CPatrolEngine& engine, CTolDoc& doc, CItemArray& list, int index,
                const SentRecord& record);

}  // namespace morvaline
