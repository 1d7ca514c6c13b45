#include "store/host_date.h"

namespace morvaline {
namespace {

class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}
    bool atEnd() const { return i_ >= s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[i_]; }
    bool isDigit() const { return peek() >= '0' && peek() <= '9'; }
    int digit() { return s_[i_++] - '0'; }
    bool take(char c) {
        if (peek() != c) return false;
        ++i_;
        return true;
    }
    void skipBlanks() {
        while (peek() == ' ') ++i_;
    }
    // A blank or a digit (a blank counts as 0), as the tens of a field.
    bool blankOrDigit(int& value) {
        if (take(' ')) {
            value = 0;
            return true;
        }
        if (!isDigit()) return false;
        value = digit();
        return true;
    }
private:
    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

FileTime parseHostDate(std::string_view text, int options, const LocalTimeFields& now) {
    LocalTimeFields f;
    f.year = f.month = f.day = 0;
    Cursor c(text);
    c.skipBlanks();
    if (!(options & hostdate::kNoYear)) {
        if (!c.isDigit()) return 0;
        int year = c.digit();
        int digits = 1;
        if (c.peek() != '/') {
            if (!c.isDigit()) return 0;
            year = year * 10 + c.digit();
            digits = 2;
            if (c.isDigit()) {
                year = year * 10 + c.digit();
                if (!c.isDigit()) return 0;
                year = year * 10 + c.digit();
                digits = 4;
            }
        }
        if (digits < 4) {
            const int pivot = now.year + 5;
            year += pivot / 100 * 100;
            if (year % 100 >= pivot % 100) year -= 100;
        }
        f.year = year;
        if (!c.take('/')) return 0;
    }
    // Month: a blank or a digit, then "/" or a second digit.
    if (!c.blankOrDigit(f.month)) return 0;
    if (!c.take('/')) {
        if (c.atEnd()) return 0;
        if (!c.isDigit()) return 0;
        f.month = f.month * 10 + c.digit();
        if (!c.take('/')) return 0;
    }
    int tens = 0;
    if (!c.blankOrDigit(tens) || !c.isDigit()) return 0;
    f.day = tens * 10 + c.digit();
    c.skipBlanks();
    if (!c.atEnd() && !(options & hostdate::kDateOnly)) {
        if (!c.isDigit()) return 0;
        f.hour = c.digit();
        if (!c.take(':')) {
            if (!c.isDigit()) return 0;
            f.hour = f.hour * 10 + c.digit();
            if (!c.take(':')) return 0;
        }
        if (!c.blankOrDigit(tens) || !c.isDigit()) return 0;
        f.minute = tens * 10 + c.digit();
        if (c.take(':')) {
            if (!c.isDigit()) return 0;
            f.second = c.digit() * 10;
            if (!c.isDigit()) return 0;
            f.second += c.digit();
        }
        // Anything else after the minutes simply ends the time.
    }
    if (options & hostdate::kNoYear) f.year = now.month < f.month ? now.year - 1 : now.year;
    return fileTimeFromFields(f).value_or(0);
}

FileTime parseHostDate(std::string_view text, int options) {
    return parseHostDate(text, options, fieldsFromFileTime(fileTimeNow()));
}

}  // namespace morvaline
