#pragma once
// Templates and their fields. A template is an item of the template place whose text (in
// "~T%06d.MSG") may hold fields: the byte 0x01, a field name, optionally a space and a
// format argument, and the byte 0x02. Applying a template replaces every field by its
// value from a field record: the message being answered, the user, the new message and
// the file being uploaded.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message/date_pictures.h"

namespace morvaline {

class CItem;
class CTolDoc;

inline constexpr int kTemplateFieldCount = 22;
inline constexpr std::string_view kProgramVersion = "2.34";

// The field names (Shift_JIS) in index order; the index is what the program stores.
const std::array<std::string, kTemplateFieldCount>& templateFieldNames();

// The values a template's fields take (Shift_JIS); empty or 0 means none, which expands
// to nothing.
struct TemplateFields {
    FileTime created = 0;                  // 作成日付, 作成時刻
    std::string answeredHandle;            // 相手ﾊﾝﾄﾞﾙ名
    std::string answeredId;                // 相手ID
    std::string answeredTitle;             // 相手の題名
    FileTime answered = 0;                 // 相手の日付, 相手の時刻
    int answeredNumber = 0;                // 相手の番号
    std::string ownHandle;                 // 私のﾊﾝﾄﾞﾙ名
    std::string ownId;                     // 私のID
    std::string title;                     // 題名
    std::string filePath;                  // ﾊﾟｽを含むﾌｧｲﾙ名
    std::string fileName;                  // ﾌｧｲﾙ名
    std::string fileNameUpper;             // ﾌｧｲﾙ名大文字
    std::string shortFileNameUpper;        // ﾌｧｲﾙ名大文字8+3
    std::string searchKey;                 // 検索ｷｰ
    std::optional<std::int64_t> fileSize;  // ﾌｧｲﾙｻｲｽﾞ
    std::string targets;                   // 対応機種
    std::string softwareKind;              // ｿﾌﾄｳｪｱ種別
    std::string versionNumber;             // ﾊﾞｰｼﾞｮﾝ番号
    std::string hostAddress;               // 相手のLUDRIX-URL
};

// One line with its fields replaced; a name outside the vocabulary, or a field left open
// at the end of the line, gives nothing. The result is cut to 49,999 bytes without
// splitting a character.
std::string ExpandTemplateLine(std::string_view line, const TemplateFields& fields,
                               const DateLocale& locale);
// Every line of a text (separated by LF; CR is dropped) expanded by itself; lines joined by LF.
std::string ExpandTemplateText(std::string_view text, const TemplateFields& fields,
                               const DateLocale& locale);

// Writing fields in a text typed by a person: "(name)" or "(name format)" becomes the
// field when the name is in the vocabulary; every other parenthesis stays as it is.
// FieldsAsText turns the markers back into that form.
std::string FieldsFromText(std::string_view text);
std::string FieldsAsText(std::string_view text);

// The host location of a forum message, in the form of a link ("LUDRIX:" and its path);
// empty for mail.
std::string hostAddressOf(const CItem& place, const CItem& message);

}  // namespace morvaline
