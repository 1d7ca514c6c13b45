#include "models/subject_line.h"

#include <QDate>
#include <QLocale>

#include "platform/sjis.h"
#include "platform/text_codec.h"
#include "store/item.h"

namespace morvaline {
namespace {

bool isMail(int k) {
    return k == kind::kSentListEntry || k == kind::kSentFileMail || k == kind::kOtherMail ||
           k == kind::kReceivedMailMessage || k == kind::kSentMailMessage;
}

bool isLibraryEntry(int k) { return k >= kind::kLibraryFileFirst && k <= kind::kLibraryFileLast; }

// Items written offline and templates show their title alone.
bool titleOnly(int k) {
    return k == kind::kUpload || k == kind::kFileMail || k == kind::kForwardMail || k == kind::kTemplate ||
           k == kind::kComment || k == kind::kNewMail;
}

class LineBuffer {
public:
    explicit LineBuffer(std::size_t width) : width_(width) {}
    std::size_t room() const { return width_ > text_.size() ? width_ - text_.size() : 0; }
    void append(std::string_view s) { text_ += s.substr(0, sjisCutLength(s, room())); }
    // A text cut to the room left minus 2 bytes.
    void appendCut(std::string_view s) {
        const std::size_t r = room() > 2 ? room() - 2 : 0;
        text_ += s.substr(0, sjisCutLength(s, r));
    }
    std::string take() { return std::move(text_); }

private:
    std::size_t width_;
    std::string text_;
};

}  // namespace

std::string shortDate(FileTime date) {
    if (date == 0) return {};
    const LocalTimeFields f = fieldsFromFileTime(date);
    const QString text = QLocale().toString(QDate(f.year, f.month, f.day), QLocale::ShortFormat);
    return utf8ToSjis(text.toStdString());
}

std::string subjectLine(const MessageSnapshot& messages, int index, const SubjectOptions& o, std::size_t width) {
    const MessageRow& r = messages.row(index);
    const int placeKind = messages.placeKind();
    LineBuffer line(width);
    const bool full = !titleOnly(r.kind);
    if (full && o.showNumber && r.number > 0 && !isMail(r.kind) && r.kind != kind::kShortcut &&
        placeKind != kind::kNewNotices && placeKind != kind::kClipping)
        line.append("#" + std::to_string(r.number) + " ");
    if (full && o.showDate && r.date != 0) line.append(shortDate(r.date) + " ");
    if (r.kind == kind::kForumMessage || isLibraryEntry(r.kind)) {
        if (r.flags & ITEM_FLAG_DELETED) line.append(sj("【削除済み】"));
        else if (r.flags & ITEM_FLAG_HELD) line.append(sj("【保留中】"));
    }
    line.append(messages.text(r.title));
    if (!full) return line.take();
    if (o.showId) {
        const std::string_view who = messages.text(isMail(r.kind) ? r.sender : r.id);
        if (isMail(r.kind) || !who.empty()) {
            line.append(" ");
            line.appendCut(who);
        }
    }
    if (o.showHandle && line.room() > 2) {
        line.append(" ");
        line.appendCut(messages.text(r.name));
    }
    const bool sized = isLibraryEntry(r.kind) || r.kind == kind::kSentFileMail ||
                       (r.kind == kind::kReceivedMailMessage && (r.flags & ITEM_FLAG_FILE_MAIL));
    if (o.showSize && r.size > 0 && line.room() > 16 && sized)
        line.append(" (" + std::to_string(r.size / 1024) + "KB)");
    if (o.showRefCount && line.room() > 20 && isLibraryEntry(r.kind))
        line.append(sj(" (参照数: ") + std::to_string(r.refCount) + ")");
    return line.take();
}

}  // namespace morvaline
