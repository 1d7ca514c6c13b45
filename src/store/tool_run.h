#pragma once
// What a long-running tool (auto-deletion, the file check, the log import, bulk operations)
// gets from whoever starts it: a cancel event that it polls between items, a progress
// callback (0 ... 100) and the questions it asks on its way. The GUI answers with message
// boxes and posts the progress to its dialog, the command line asks on the terminal, tests
// answer from a script. Everything here is called on the tool's own (worker) thread.

#include <functional>
#include <string>

#include "platform/event.h"
#include "store/texts.h"

namespace morvaline {

enum class Answer { Yes, No, Cancel };

class ToolQuestions {
public:
    virtual ~ToolQuestions() = default;
    // A question of the string table with "%1" and "%2" filled in (Shift_JIS); withCancel
    // offers a third answer.
    virtual Answer ask(const Text& question, const std::string& sjisText, bool withCancel) = 0;
    // A message that only needs to be acknowledged.
    virtual void tell(const Text& message, const std::string& sjisText) = 0;
};

struct ToolRun {
    Event* cancel = nullptr;
    std::function<void(int percent)> progress;
    ToolQuestions* questions = nullptr;  // none: every question is answered No

    bool cancelled() const { return cancel && cancel->isSet(); }
    void report(int percent) const {
        if (progress) progress(percent);
    }
    Answer ask(const Text& question, std::string_view arg1 = {}, std::string_view arg2 = {},
               bool withCancel = false) const {
        return questions ? questions->ask(question, formatText(question, arg1, arg2), withCancel) : Answer::No;
    }
    bool yes(const Text& question, std::string_view arg1 = {}, std::string_view arg2 = {}) const {
        return ask(question, arg1, arg2) == Answer::Yes;
    }
    void tell(const Text& message, std::string_view arg1 = {}) const {
        if (questions) questions->tell(message, formatText(message, arg1));
    }
};

}  // namespace morvaline
