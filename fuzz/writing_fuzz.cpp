// Arbitrary bytes through what reads texts written or typed by people and received from
// others: subjects, links, template fields and date pictures, the line breaker, forwarded
// headers and address-book CSV files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "message/internet_mail.h"
#include "message/links.h"
#include "message/subjects.h"
#include "message/templates.h"
#include "store/address_book.h"
#include "store/line_breaker.h"
#include "tools/address_csv.h"

using namespace morvaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const unsigned char first = size > 0 ? static_cast<unsigned char>(input[0]) : 0;

    if (MakeReplySubject(input, first & 1).size() > kReplySubjectMax) __builtin_trap();
    if (MakeForwardSubject(input).size() > kForwardSubjectMax) __builtin_trap();
    std::string subject(input);
    ReplyNumberFromSubject(subject);

    std::size_t end = 0;
    for (const LinkRun& run : FindLinks(input)) {
        if (run.begin < end || run.end <= run.begin || run.end > input.size()) __builtin_trap();
        end = run.end;
    }

    // Any widths, even out of range, and every listed word: each line advances.
    EditorSettings editor = EditorSettings::defaults();
    editor.normalWidth = first % 90;
    editor.tabWidth = first % 17;
    editor.words = {{std::string(input.substr(0, first % 6)), 1}};
    std::size_t previous = 0;
    for (const std::size_t at : breakParagraph(input, editor)) {
        if (at <= previous || at >= input.size()) __builtin_trap();
        previous = at;
    }

    DateLocale locale;
    locale.shortDate = "yyyy/MM/dd";
    TemplateFields fields;
    fields.created = static_cast<FileTime>(first) * 864'000'000'000;
    fields.answeredTitle = std::string(input.substr(0, 80));
    ExpandTemplateText(input, fields, locale);
    FormatDatePicture(fields.created, input, locale);
    FieldsAsText(FieldsFromText(input));

    FilterForwardHeaders(input);
    CAddrArray book;
    book.addNode(-1, CAddr::kFolder, 0, "", "root");
    std::string error;
    ImportAddressCsv(book, input, &error);
    if (!book.linksValid()) __builtin_trap();
    return 0;
}
