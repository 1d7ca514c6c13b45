// morvaline-cli check and rebuild: the file check with its report (CHKFILE.LOG in the data
// folder), and the rebuild of one place's list.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_tool_run.h"
#include "platform/text_codec.h"
#include "store/file_check.h"

namespace morvaline::cli {
namespace {

// Without --repair the check reports and goes on after every finding, but repairs and
// deletes nothing; with it every repair is made.
class CheckAnswers final : public ToolQuestions {
public:
    explicit CheckAnswers(bool repair) : repair_(repair) {}
    Answer ask(const Text& question, const std::string& sjisText, bool) override {
        const bool goOn = question.id == texts::kCheckTreeContinueQuestion.id ||
                          question.id == texts::kCheckListContinueQuestion.id ||
                          question.id == texts::kCheckRebuiltContinue.id ||
                          question.id == texts::kCheckNotRebuiltContinue.id ||
                          question.id == texts::kCheckNoTextContinue.id;
        std::cerr << utf8(sjisText) << '\n';
        return goOn || repair_ ? Answer::Yes : Answer::No;
    }
    void tell(const Text&, const std::string& sjisText) override { std::cerr << utf8(sjisText) << '\n'; }

private:
    bool repair_;
};

}  // namespace

int runFileCheck(CTolDoc& doc, ToolQuestions& questions) {
    Event cancel;
    TerminalProgress progress(utf8(textSjis(texts::kCheckRunning)));
    const ToolRun run = terminalRun(questions, cancel, progress);
    CheckOutcome outcome;
    runOnWorker(cancel, [&] { outcome = CheckFiles(doc, true, run); });
    progress.end();
    saveUser(doc);
    if (outcome.stopped) {
        std::cout << utf8(textSjis(texts::kCheckCancelled)) << '\n';
        return 1;
    }
    if (outcome.problems == 0) {
        std::cout << utf8(textSjis(texts::kCheckFinishedClean)) << '\n';
        return 0;
    }
    const std::string counts =
        formatText(texts::kCheckCounts, std::to_string(outcome.problems), std::to_string(outcome.repaired));
    std::cout << utf8(formatText(texts::kCheckFinished, counts)) << '\n';
    return outcome.repaired >= outcome.problems ? 0 : 1;
}

int commandCheck(Session& session, Args args) {
    constexpr std::string_view usage = "check ID [--repair]";
    const bool repair = takeFlag(args, "--repair");
    const std::string userId = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    ConsoleReports reports;
    const OpenedUser doc = session.openUser(userId, &reports, false);
    CheckAnswers answers(repair);
    return runFileCheck(*doc, answers);
}

int commandRebuild(Session& session, Args args) {
    constexpr std::string_view usage = "rebuild ID PLACE [--yes]";
    const bool yes = takeFlag(args, "--yes");
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.openUser(userId);
    TerminalQuestions questions(yes);
    ToolRun run;
    run.questions = &questions;
    if (!RebuildPlace(*doc, findPlace(*doc, placeName), run)) return 1;
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
