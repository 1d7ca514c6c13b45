#include "message/templates.h"

#include <algorithm>

#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/item.h"
#include "store/template_markers.h"

namespace morvaline {
namespace {

constexpr std::size_t kMaxExpandedLine = 49999;

enum Field {
    kCreationDate,
    kCreationTime,
    kAnsweredHandle,
    kAnsweredId,
    kAnsweredTitle,
    kAnsweredDate,
    kAnsweredTime,
    kAnsweredNumber,
    kOwnHandle,
    kOwnId,
    kTitle,
    kFilePath,
    kFileName,
    kFileNameUpper,
    kShortFileNameUpper,
    kSearchKey,
    kFileSize,
    kVersion,
    kTargets,
    kSoftwareKind,
    kVersionNumber,
    kHostAddress,
};

int fieldIndex(std::string_view name) {
    const auto& names = templateFieldNames();
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::string fieldValue(int index, std::string_view format, const TemplateFields& f,
                       const DateLocale& locale) {
    switch (index) {
        case kCreationDate:
            return FormatDateField(f.created, format, locale);
        case kCreationTime:
            return FormatTimeField(f.created, format, locale);
        case kAnsweredHandle:
            return f.answeredHandle;
        case kAnsweredId:
            return f.answeredId;
        case kAnsweredTitle:
            return f.answeredTitle;
        case kAnsweredDate:
            return FormatDateField(f.answered, format, locale);
        case kAnsweredTime:
            return FormatTimeField(f.answered, format, locale);
        case kAnsweredNumber:
            return f.answeredNumber > 0 ? std::to_string(f.answeredNumber) : "";
        case kOwnHandle:
            return f.ownHandle;
        case kOwnId:
            return f.ownId;
        case kTitle:
            return f.title;
        case kFilePath:
            return f.filePath;
        case kFileName:
            return f.fileName;
        case kFileNameUpper:
            return f.fileNameUpper;
        case kShortFileNameUpper:
            return f.shortFileNameUpper;
        case kSearchKey:
            return f.searchKey;
        case kFileSize:
            return f.fileSize ? std::to_string(*f.fileSize) : "";
        case kVersion:
            return std::string(kProgramVersion);
        case kTargets:
            return f.targets;
        case kSoftwareKind:
            return f.softwareKind;
        case kVersionNumber:
            return f.versionNumber;
        case kHostAddress:
            return f.hostAddress;
        default:
            return {};
    }
}

// The name of a field text: what comes before its first space.
std::string_view nameOf(std::string_view field) {
    return field.substr(0, field.find(' '));
}

}  // namespace

const std::array<std::string, kTemplateFieldCount>& templateFieldNames() {
    static const std::array<std::string, kTemplateFieldCount> names = {
        sj("作成日付"),         sj("作成時刻"),     sj("相手ﾊﾝﾄﾞﾙ名"),
        sj("相手ID"),           sj("相手の題名"),   sj("相手の日付"),
        sj("相手の時刻"),       sj("相手の番号"),   sj("私のﾊﾝﾄﾞﾙ名"),
        sj("私のID"),           sj("題名"),         sj("ﾊﾟｽを含むﾌｧｲﾙ名"),
        sj("ﾌｧｲﾙ名"),           sj("ﾌｧｲﾙ名大文字"), sj("ﾌｧｲﾙ名大文字8+3"),
        sj("検索ｷｰ"),           sj("ﾌｧｲﾙｻｲｽﾞ"),     sj("ﾊﾞｰｼﾞｮﾝ"),
        sj("対応機種"),         sj("ｿﾌﾄｳｪｱ種別"),   sj("ﾊﾞｰｼﾞｮﾝ番号"),
        sj("相手のLUDRIX-URL"),
    };
    return names;
}

std::string ExpandTemplateLine(std::string_view line, const TemplateFields& fields,
                               const DateLocale& locale) {
    std::string out;
    std::string field;
    bool inside = false;
    for (const char c : line) {
        if (!inside) {
            if (c == kTemplateFieldOpen) {
                inside = true;
                field.clear();
            } else {
                out += c;
            }
        } else if (c == kTemplateFieldClose) {
            inside = false;
            const std::size_t space = field.find(' ');
            const std::string_view text = field;
            const std::string_view format =
                space == std::string::npos ? std::string_view() : text.substr(space + 1);
            out += fieldValue(fieldIndex(nameOf(text)), format, fields, locale);
        } else {
            field += c;
        }
        if (out.size() > kMaxExpandedLine) break;
    }
    return sjisBoundedCopy(out, kMaxExpandedLine);
}

std::string ExpandTemplateText(std::string_view text, const TemplateFields& fields,
                               const DateLocale& locale) {
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line(text.substr(start, end - start));
        std::erase(line, '\r');
        out += ExpandTemplateLine(line, fields, locale);
        if (end == text.size()) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

std::string FieldsFromText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width = sjisCharWidth(text, i);
        if (width == 1 && text[i] == '(') {
            const std::size_t close = text.find(')', i + 1);
            if (close != std::string_view::npos &&
                fieldIndex(nameOf(text.substr(i + 1, close - i - 1))) >= 0 &&
                text.substr(i + 1, close - i - 1).find('\n') == std::string_view::npos) {
                out += kTemplateFieldOpen;
                out.append(text.substr(i + 1, close - i - 1));
                out += kTemplateFieldClose;
                i = close + 1;
                continue;
            }
        }
        out.append(text.substr(i, width));
        i += width;
    }
    return out;
}

std::string FieldsAsText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == kTemplateFieldOpen)
            c = '(';
        else if (c == kTemplateFieldClose)
            c = ')';
    }
    return out;
}

std::string hostAddressOf(const CItem& place, const CItem& message) {
    if (!kind::isThreaded(place.m_nKind)) return {};
    if (!message.m_strPath.empty()) return "LUDRIX:" + message.m_strPath.str();
    if (place.m_strPath.empty() || message.m_nNumber <= 0) return {};
    return "LUDRIX:" + place.m_strPath.str() + "/" + std::to_string(message.m_nNumber);
}

}  // namespace morvaline
