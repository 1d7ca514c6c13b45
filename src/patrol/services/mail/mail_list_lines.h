#pragma once
// The entries of the host's two mail lists, read at fixed byte positions: the list of
// received mail that the mail reader shows, and the list of sent mail. A line too short or
// of another form is not an entry. Pure functions over Shift_JIS bytes.
//
// Numbers are digits among blanks ("   3", "3   ", "0003"); in dates "yy/mm/dd" the month
// and the day are padded with zeros or blanks ("99/ 1/ 5").
//
// Received list, first line of an entry: bytes 0-3 the number, 5-12 the received date
// "yy/mm/dd", 13-18 the state ("　未　", "　済　", "　転　"), 19-26 the date it is kept
// until, from 29 the sender. Next line: the subject from byte 12, or "***" at byte 5 and the
// subject from byte 11 for a mail that carries a file; a gateway address too long for the
// first line goes on at byte 9 of the next line, and the subject follows on a third.
//
// Sent list, first line: bytes 0-3 the number, 5-12 the send date, 15-28 the time the
// addressee read it ("yy/mm/dd hh:mm"), or "未確認" or "宛先エラー", from 31 the addressee;
// "転" at the end marks a forward. Next line: the subject as in the received list.

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_time.h"
#include "platform/text_trim.h"

namespace morvaline {

// A sender or addressee: a gateway address (internet and other networks) or a host ID.
struct ListedParty {
    std::string address;   // the address, or the 8-byte host ID
    std::string name;      // the handle after a host ID
    bool network = false;  // an address through a gateway; it may go on on the next line
};

struct ReceivedListEntry {
    int number = 0;
    std::string day;  // "yy/mm/dd" as listed
    FileTime date = 0;
    ListedParty sender;
};
std::optional<ReceivedListEntry> parseReceivedListLine(std::string_view line);
// True for a line of an entry's shape (the state at bytes 13-18) whether or not it can be
// read: a listing with such a line that cannot be read is not complete.
bool looksLikeReceivedEntry(std::string_view line);

// What the line after an entry's first line holds.
enum class SubjectLine {
    Text,           // the subject of a text mail
    File,           // the subject of a mail that carries a file
    AddressGoesOn,  // the rest of a long address; the subject is on the next line
};
SubjectLine subjectLineKind(std::string_view line);
// The subject of a Text or File line, trimmed.
std::string_view subjectOf(std::string_view line);
// The address text of an AddressGoesOn line, trimmed.
std::string_view addressContinuation(std::string_view line);

struct SentListEntry {
    int number = 0;
    std::string day;  // "yy/mm/dd" as listed
    FileTime date = 0;
    std::string confirmation;  // "yy/mm/dd hh:mm", "未確認" or "宛先エラー"
    ListedParty addressee;
    bool forwarded = false;
    // From the entry's next line (not filled in by parseSentListLine).
    std::string subject;
    bool file = false;
};
std::optional<SentListEntry> parseSentListLine(std::string_view line);
// True for a line of an entry's shape (a blank at byte 4, a date's "/" at bytes 7 and 10).
bool looksLikeSentEntry(std::string_view line);

// A listed day as the number yyyymmdd (0 for a date of 0).
int dayNumber(FileTime date);

}  // namespace morvaline
