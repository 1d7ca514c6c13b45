#pragma once
// Lines of the library screens, read by byte position. Pure functions over Shift_JIS bytes;
// a line of another form is "not an entry", never an out-of-range read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"

namespace morvaline {

// One entry of a section's file list: at least 58 bytes, laid out as
//   0-3 number (digits or blanks)   4 "." or blank (the two kinds of entry)
//   5-19 file name   20-27 registrant ID (A-Z, 0-9, blanks)   28-29 blanks
//   30-37 date yy/mm/dd (digits or blanks)   38-40 blanks   41-47 size (7 digits)
//   48-50 blanks   51-57 access count (7 digits)
struct FileEntry {
    int number = 0;
    bool dotted = false;  // byte 4 is "."
    std::string name;     // blanks at the end and control bytes removed
    std::string owner;
    FileTime date = 0;    // 0 when the date is blank
    int size = 0;
    int access = 0;
};
std::optional<FileEntry> parseFileEntry(std::string_view line);

// The menu number of a protocol line ("  2  Ｒａｐｉｄｏｘ", "　３．Ｒａｐｉｄｏｘ"): its first
// 4 bytes with full-width digits read as digits; none when they hold no number.
std::optional<int> protocolNumber(std::string_view line);

// The sections a library's menu lists: numbered entries other than the three items that
// are not sections, with their names up to the line's end.
struct MenuSection {
    int number = 0;
    std::string name;
};
std::vector<MenuSection> menuSections(std::string_view menu);

// The name an upload is registered under: the file name of its local path (Shift_JIS) in
// upper case, control bytes left out.
std::string uploadName(std::string_view fileName);
// The name of an upload's document: the upload's name without its extension, cut to 8
// bytes (never half a character), and ".DOC".
std::string documentName(std::string_view uploadName);
// The number of the registration a line of the "DP" list shows for name: a line longer
// than 50 bytes whose name field (from byte 5, blank after it) holds the name (its first
// 15 bytes when longer), numbered in its first 4 bytes.
std::optional<int> pendingNumber(std::string_view line, std::string_view name);

// One answer to the host's classification questions: the question's menu number, and the
// answer typed at its "=".
struct ClassificationAnswer {
    int question = 0;
    std::string answer;
};
// The answers an upload's values ask for, in the order they are typed: the file kind
// unless "その他" (16), the first classification value unless 0, the file content unless
// "完全ﾊﾟｯｹｰｼﾞ" (0), the version unless "1.0", the environment unless "その他" (27), the
// distribution unless "ﾌﾘｰｳｪｱ" (0); a list index goes as index + 1. Values out of their
// lists are left out.
std::vector<ClassificationAnswer> classificationAnswers(const std::int32_t (&values)[5],
                                                        std::string_view version);

}  // namespace morvaline
