#include <QLocale>
#include <QString>

#include "platform/date_locale.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

std::string sjisOf(const QString& text) {
    return utf8ToSjis(text.toStdString());
}

// A Qt date or time format as a picture: the letters mostly mean the same; Qt's "AP", "ap",
// "A" and "a" are the designator ("tt"), its "h" is a 24-hour hour unless a designator is
// shown, and the time zone ("t") and milliseconds ("z") have no picture letter.
std::string pictureOf(const QString& qtFormat) {
    const std::u16string format = qtFormat.toStdU16String();
    bool designator = false;
    bool quoted = false;
    for (const char16_t c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == u'A' || c == u'a'))
            designator = true;
    }
    std::u16string out;
    quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        if (c == u'\'') quoted = !quoted;
        if (quoted || c == u'\'') {
            out += c;
        } else if (c == u'A' || c == u'a') {
            if (i + 1 < format.size() && (format[i + 1] == u'P' || format[i + 1] == u'p')) ++i;
            out += u"tt";
        } else if (c == u't' || c == u'z') {
            continue;
        } else {
            out += c == u'h' && !designator ? u'H' : c;
        }
    }
    QString picture = QString::fromStdU16String(out).trimmed();
    return sjisOf(picture);
}

DateLocale localeOf(const QLocale& user, const QLocale& plain) {
    DateLocale l;
    l.shortDate = pictureOf(user.dateFormat(QLocale::ShortFormat));
    l.longDate = pictureOf(user.dateFormat(QLocale::LongFormat));
    l.time = pictureOf(user.timeFormat(QLocale::LongFormat));
    l.defaultTime = pictureOf(plain.timeFormat(QLocale::LongFormat));
    for (int day = 0; day < 7; ++day) {
        const int qtDay = day == 0 ? 7 : day;  // Qt counts Monday as 1
        l.dayNames[static_cast<std::size_t>(day)] =
            sjisOf(user.dayName(qtDay, QLocale::LongFormat));
        l.shortDayNames[static_cast<std::size_t>(day)] =
            sjisOf(user.dayName(qtDay, QLocale::ShortFormat));
    }
    for (int month = 1; month <= 12; ++month) {
        l.monthNames[static_cast<std::size_t>(month - 1)] =
            sjisOf(user.monthName(month, QLocale::LongFormat));
        l.shortMonthNames[static_cast<std::size_t>(month - 1)] =
            sjisOf(user.monthName(month, QLocale::ShortFormat));
    }
    l.am = sjisOf(user.amText());
    l.pm = sjisOf(user.pmText());
    l.era = user.language() == QLocale::Japanese ? sj("西暦") : "A.D.";
    return l;
}

}  // namespace

DateLocale systemDateLocale() {
    const QLocale user = QLocale::system();
    return localeOf(user, QLocale(user.language(), user.territory()));
}

}  // namespace morvaline
