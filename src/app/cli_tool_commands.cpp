// morvaline-cli commands of the tools that run on a worker thread: query, export,
// auto-deletion and the log import. They show progress on a terminal and stop on Ctrl+C as the window's stop
// button does.

#include <cstdio>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_tool_run.h"
#include "platform/date_locale.h"
#include "platform/desktop_trash.h"
#include "platform/text_codec.h"
#include "tools/auto_delete.h"
#include "tools/export.h"
#include "tools/log_import.h"
#include "tools/query.h"
#include "tools/query_results.h"

namespace morvaline::cli {
namespace {

FileTime parseDate(const std::string& text) {
    int y = 0, m = 0, d = 0;
    char s1 = 0, s2 = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%c", &y, &s1, &m, &s2, &d, &rest) == 5 && s1 == s2 &&
        (s1 == '-' || s1 == '/')) {
        if (const auto t = fileTimeFromFields({y, m, d, 0, 0, 0, 0, 0})) return *t;
    }
    throw CommandError{"'" + text + "' is not a date (YYYY-MM-DD)"};
}

int positiveNumber(const std::string& text, const char* option) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        throw CommandError{std::string(option) + " needs a number"};
    return std::stoi(text);
}

unsigned parseFields(const std::string& text) {
    unsigned fields = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (name == "title") fields |= queryfield::kTitle;
        else if (name == "body") fields |= queryfield::kBody;
        else if (name == "sender") fields |= queryfield::kSender;
        else if (name == "all") fields |= queryfield::kTitle | queryfield::kBody | queryfield::kSender;
        else throw CommandError{"--field takes title, body, sender or all, separated by commas"};
        start = comma + 1;
    }
    return fields;
}

QueryKind parseKind(const std::string& text) {
    for (int i = 0; i < kQueryKinds; ++i)
        if (text == std::to_string(i) || text == kQueryKindTexts[static_cast<std::size_t>(i)])
            return static_cast<QueryKind>(i);
    throw CommandError{"--kind takes 0 ... 13 or a kind's text (see the help)"};
}

QueryOrder parseOrder(const std::string& text) {
    static constexpr std::pair<std::string_view, QueryOrder> kOrders[] = {
        {"found", QueryOrder::Found}, {"number", QueryOrder::Number}, {"title", QueryOrder::Title},
        {"handle", QueryOrder::Handle}, {"place", QueryOrder::Place}, {"date", QueryOrder::Date},
    };
    for (const auto& [name, order] : kOrders)
        if (text == name) return order;
    throw CommandError{"--order takes found, number, title, handle, place or date"};
}

ExportOrder parseExportOrder(const std::string& text) {
    static constexpr std::pair<std::string_view, ExportOrder> kOrders[] = {
        {"registration", ExportOrder::Registration}, {"number", ExportOrder::Number},
        {"title", ExportOrder::Title}, {"id", ExportOrder::Id}, {"handle", ExportOrder::Handle},
        {"date", ExportOrder::Date},
    };
    for (const auto& [name, order] : kOrders)
        if (text == name) return order;
    throw CommandError{"--order takes registration, number, title, id, handle or date"};
}

std::string joined(const Args& words) {
    std::string text;
    for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
    return text;
}

}  // namespace

int commandQuery(Session& session, Args args) {
    QueryParams params;
    const std::string place = takeOption(args, "--place");
    params.subfolders = !takeFlag(args, "--no-subfolders");
    params.caseSensitive = takeFlag(args, "--case");
    if (const std::string f = takeOption(args, "--field"); !f.empty()) params.fields = parseFields(f);
    if (const std::string k = takeOption(args, "--kind"); !k.empty()) params.kind = parseKind(k);
    const std::string since = takeOption(args, "--since"), until = takeOption(args, "--until");
    const std::string months = takeOption(args, "--months"), days = takeOption(args, "--days");
    const std::string order = takeOption(args, "--order");
    if (!since.empty() || !until.empty()) {
        params.dates = QueryDates::Range;
        params.fromDate = since.empty() ? 0 : parseDate(since);
        params.toDate = until.empty() ? *fileTimeFromFields({9999, 12, 31, 0, 0, 0, 0, 0}) : parseDate(until);
    } else if (!months.empty()) {
        params.dates = QueryDates::MonthsBack;
        params.months = positiveNumber(months, "--months");
    } else if (!days.empty()) {
        params.dates = QueryDates::DaysBack;
        params.days = positiveNumber(days, "--days");
    }
    if (args.empty()) throw CommandError{"usage: query ID [options] [WORD...]"};
    const std::string userId = args.front();
    args.erase(args.begin());
    params.word = utf8ToSjis(joined(args));

    OpenedUser doc = session.openUser(userId);
    if (!place.empty()) params.startPlace = findPlace(*doc, place);
    Query query(*doc);
    TerminalProgress progress(utf8(textSjis(texts::kQuerySearching)));
    WorkerWait waiter;
    QueryOutcome outcome = QueryOutcome::Stopped;
    QueryListener listener;
    listener.progress = [&](int percent) { progress.show(percent); };
    listener.finished = [&](QueryOutcome o) {
        outcome = o;
        waiter.done();
    };
    if (const auto invalid = query.start(params, listener, fileTimeNow())) throw CommandError{utf8(*invalid)};
    waiter.wait([&] { query.stop(); });
    query.wait();
    saveUser(*doc);  // the search history

    std::vector<QueryRow> rows = queryRows(*doc, query.results());
    if (!order.empty()) sortQueryRows(rows, parseOrder(order));
    for (const QueryRow& row : rows) std::cout << utf8(queryRowText(row, shortDate(row.date))) << '\n';
    std::cout.flush();
    if (outcome == QueryOutcome::NoResult) throw CommandError{utf8(textSjis(texts::kQueryNoResult))};
    std::cerr << utf8(queryWindowTitle(params.word, rows.size())) << '\n';
    if (outcome == QueryOutcome::Stopped) throw CommandError{"the query was stopped"};
    return 0;
}

int commandExport(Session& session, Args args) {
    static constexpr std::string_view kUsage =
        "usage: export ID PLACE --text|--html OUT [--marked|--marked-comments] [--order O] [--reverse]\n"
        "       [--append] [--overwrite] [--remove]";
    ExportChoices choices;
    const std::string text = takeOption(args, "--text"), html = takeOption(args, "--html");
    if (text.empty() == html.empty()) throw CommandError{std::string(kUsage)};
    choices.format = text.empty() ? ExportFormat::Html : ExportFormat::Text;
    const std::filesystem::path out = text.empty() ? html : text;
    choices.folder = out.has_parent_path() ? out.parent_path() : std::filesystem::path(".");
    choices.fileName = out.filename().string();
    if (takeFlag(args, "--marked-comments")) choices.which = ExportWhich::MarkedWithComments;
    else if (takeFlag(args, "--marked")) choices.which = ExportWhich::Marked;
    if (const std::string o = takeOption(args, "--order"); !o.empty()) choices.order = parseExportOrder(o);
    choices.reverse = takeFlag(args, "--reverse");
    choices.append = takeFlag(args, "--append");
    choices.removeAfter = takeFlag(args, "--remove");
    const bool overwrite = takeFlag(args, "--overwrite");
    if (args.size() != 2) throw CommandError{std::string(kUsage)};

    OpenedUser doc = session.openUser(args[0]);
    choices.place = findPlace(*doc, args[1]);
    HtmlSettings settings;
    settings.contentTarget = doc->settings().htmlContentTarget;
    settings.showNumber = doc->settings().htmlShowNumber != 0;
    settings.locale = systemDateLocale();

    Export exporter(*doc);
    TerminalProgress writing(utf8(sj("ｴｸｽﾎﾟｰﾄしています"))), removing(utf8(sj("削除しています")));
    WorkerWait waiter;
    ExportResult result;
    ExportListener listener;
    listener.progress = [&](ExportPhase phase, int percent) {
        if (phase == ExportPhase::Removing) writing.end();
        (phase == ExportPhase::Removing ? removing : writing).show(percent);
    };
    TerminalQuestions questions(overwrite);
    listener.askOverwrite = [&](const std::string& question) {
        writing.end();
        return questions.ask(texts::kExportOverwrite, question, false) == Answer::Yes;
    };
    listener.finished = [&](const ExportResult& r) {
        result = r;
        waiter.done();
    };
    if (const auto invalid = exporter.start(choices, settings, listener)) throw CommandError{utf8(*invalid)};
    waiter.wait([&] { exporter.stop(); });
    exporter.wait();
    writing.end();
    removing.end();
    saveUser(*doc);
    switch (result.outcome) {
    case ExportOutcome::Failed: throw CommandError{utf8(result.message)};
    case ExportOutcome::Stopped: throw CommandError{utf8(textSjis(texts::kExportStopped))};
    case ExportOutcome::Done: break;
    }
    std::cerr << result.exported << " messages exported";
    if (choices.removeAfter) std::cerr << ", " << result.removed << " removed";
    std::cerr << '\n';
    return 0;
}

int commandExpire(Session& session, Args args) {
    constexpr std::string_view usage =
        "expire ID [PLACE] [--dry-run] | rules | rule PLACE RULE|default|none | on | off";
    const bool dryRun = takeFlag(args, "--dry-run");
    const std::string userId = takeArgument(args, usage);
    const std::string what = args.empty() ? std::string() : takeArgument(args, usage);
    ConsoleReports reports;
    const OpenedUser doc = session.openUser(userId, &reports);
    if (what == "on" || what == "off") {
        expectNoMoreArguments(args, usage);
        doc->setInteger(docint::kAutoDeleteOn, what == "on" ? 1 : 0);
        saveUser(*doc);
        return 0;
    }
    if (what == "rules") {
        expectNoMoreArguments(args, usage);
        for (const CDelete& rule : doc->deleteRules().rules())
            std::cout << rule.id << "  " << utf8(rule.name) << "  " << utf8(describe(rule)) << '\n';
        return 0;
    }
    if (what == "rule") {
        const int place = findPlace(*doc, takeArgument(args, usage));
        const std::string value = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        int id = value == "default" ? 0 : value == "none" ? -1 : 0;
        if (value != "default" && value != "none") {
            if (value.find_first_not_of("0123456789") != std::string::npos || value.size() > 9 ||
                !doc->deleteRules().find(std::stoi(value)))
                throw CommandError{"no deletion rule " + value + " (see expire ID rules)"};
            id = std::stoi(value);
        }
        doc->tree().setDeleteRule(place, id);
        saveUser(*doc);
        return 0;
    }
    expectNoMoreArguments(args, usage);
    if (!doc->integer(docint::kAutoDeleteOn))
        std::cerr << "auto-deletion is off: no place has a rule (turn it on with expire ID on)\n";

    TerminalQuestions questions;
    Event cancel;
    TerminalProgress progress(utf8(sj("自動削除")));
    const ToolRun run = terminalRun(questions, cancel, progress);
    const FileTime now = fileTimeNow();
    ExpiryOutcome outcome;
    runOnWorker(cancel, [&] {
        outcome = what.empty() ? runAutoDeletion(*doc, now, run, nullptr, dryRun)
                               : applyDeleteRule(*doc, findPlace(*doc, what), true, false, now, run,
                                                 nullptr, dryRun);
    });
    progress.end();
    if (!dryRun) saveUser(*doc);
    std::cout << outcome.items.selected << (dryRun ? " messages would expire\n" : " messages expired, ")
              << (dryRun ? "" : std::to_string(outcome.items.done) + " moved or deleted\n");
    if (outcome.items.failed > 0)
        throw CommandError{std::to_string(outcome.items.failed) + " messages stayed: a list could not be written"};
    if (outcome.stopped) throw CommandError{"stopped before the end"};
    return 0;
}

int commandImport(Session& session, Args args) {
    constexpr std::string_view usage = "import ID PLACE FILE... [--trash]";
    const bool trash = takeFlag(args, "--trash");
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    if (args.empty()) throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    ConsoleReports reports;
    const OpenedUser doc = session.openUser(userId, &reports);
    ImportRequest request;
    request.place = findPlace(*doc, placeName);
    for (const std::string& file : args) request.files.emplace_back(file);
    if (trash) request.moveToTrash = moveToDesktopTrash;
    TerminalQuestions questions;
    Event cancel;
    TerminalProgress progress(utf8(sj("ｲﾝﾎﾟｰﾄしています")));
    const ToolRun run = terminalRun(questions, cancel, progress);
    std::string error;
    int done = 0;
    runOnWorker(cancel, [&] { done = ImportLogs(*doc, request, run, &error); });
    progress.end();
    saveUser(*doc);
    if (!done) {
        if (cancel.isSet()) std::cout << utf8(textSjis(texts::kImportCancelled)) << '\n';
        throw CommandError{error};
    }
    std::cout << utf8(textSjis(texts::kImportFinished)) << '\n';
    return 0;
}

}  // namespace morvaline::cli
