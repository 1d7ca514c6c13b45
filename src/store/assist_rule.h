#pragma once
// The stored rules of the mail assistant, which sorts received and sent mail into folders.

#include <cstdint>
#include <string>

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

// Kinds of mail a rule applies to: text, binary (a file mail) and a further binary flag.
inline constexpr std::int32_t kAssistAllKinds = 0x830;

// A rule for received mail.
struct CAssist {
    std::string id;       // text that the sender's ID must contain
    std::string name;     // text that the sender's name must contain
    std::string subject;  // text that the subject must contain
    std::string replyTo;  // text that the reply-to address must contain
    std::int32_t kindMask = kAssistAllKinds;
    std::int32_t folder = 0;  // destination place ID; 0 leaves the mail where it is
    std::int32_t enabled = 1;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

// A rule for sent mail.
struct CAssistSend {
    std::string recipient;
    std::string subject;
    std::int32_t kindMask = kAssistAllKinds;
    std::int32_t source = -1;  // place of the mail answered or forwarded; -1: any
    std::int32_t folder = 0;
    std::int32_t enabled = 1;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

}  // namespace morvaline
