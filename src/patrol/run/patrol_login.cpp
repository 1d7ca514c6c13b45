// Logging in: the login commands, the screens that the host shows after the password, the
// check of the host's previous logout time, and the main menu.

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "patrol/run/login_script.h"
#include "patrol/run/login_texts.h"
#include "patrol/run/logout_time.h"
#include "patrol/run/patrol_run.h"
#include "platform/text_codec.h"
#include "store/document.h"

namespace morvaline {
void PatrolRun::runScript(const std::string& script) {
    for (const ScriptStep& step : parseLoginScript(expandCaretNotation(script))) {
        if (engine_.result() != result::Ok) return;
        switch (step.kind) {
            case ScriptStep::Kind::WaitFor:
                (void)engine_.WaitFor(step.text, false);  // a silence ends the run
                break;
            case ScriptStep::Kind::Send:
                engine_.Send(step.text);
                break;
            case ScriptStep::Kind::Pause:
                engine_.clock().sleepFor(500);
                break;
        }
    }
}

int PatrolRun::login() {
    engine_.events().activity(Animation::LoggingIn);
    const LoginMode mode = attempt_.loginMode;
    if (mode != LoginMode::AlreadyAtHost) engine_.events().report(texts::kLoggingIn);
    if (mode == LoginMode::Script) runScript(attempt_.loginScript);
    const LoginTexts& t = loginTexts();
    if (mode == LoginMode::AlreadyAtHost) {
        doc_.setTime(doctime::kLastLogout, fileTimeNow());
        if (engine_.SendEchoed("JMAIN\r") != result::Ok) return engine_.result();
        if (engine_.WaitForMenuPrompt() != result::Ok) return engine_.result();
        if (engine_.SendEchoed("CID\r") != result::Ok) return engine_.result();
    } else {
        if (mode == LoginMode::AfterBrace) {
            if (engine_.WaitFor("}", false) != result::Ok) return engine_.result();
            engine_.clock().sleepFor(1000);
        } else {
            engine_.clock().sleepFor(3000);
        }
        engine_.Send("LUDRIX\r");
        engine_.events().report(texts::kLoginPrompt);
    }
    if (!engine_.WaitForAny({t.userIdPrompt, t.userIdPromptJapanese}, false))
        return engine_.result();
    engine_.Send(options_.userId + "\r");
    if (!engine_.WaitForAny({t.passwordPrompt, t.passwordPromptJapanese}, false))
        return engine_.result();
    engine_.SendSecret(options_.password + "\r");
    if (!options_.patrol) doc_.setTime(doctime::kLastLogout, fileTimeNow());
    return engine_.result();
}

void PatrolRun::compareLogoutTime(FileTime hostTime) {
    if (hostTime == 0) return;  // a time that does not parse is left out
    const LogoutComparison c = compareLogoutTimes(hostTime, doc_.time(doctime::kLastLogout));
    engine_.events().report(*c.text, c.arg);
    if (c.matched) timesMatched_ = true;
}

int PatrolRun::answerLoginScreens() {
    timesMatched_ = false;
    const LoginTexts& t = loginTexts();
    using Shown = LoginTexts::AfterPassword;
    for (;;) {
        std::string line;
        const Waited<Shown> shown = engine_.WaitForScreen(t.afterPassword, &line);
        if (!shown) return shown.code();
        if (shown.is(Shown::PressReturn)) {
            engine_.Send("\r");
            if (engine_.WaitFor("\n", false) != result::Ok) return engine_.result();
            continue;
        }
        if (!shown.is(Shown::Line) && engine_.WaitFor("=", false) != result::Ok)
            return engine_.result();
        if (shown.is(Shown::NoticesQuestion)) {
            // The notices are fetched by their own place.
            engine_.Send("N\r");
            break;
        }
        if (shown.is(Shown::ProfileQuestion) || shown.is(Shown::ProfileQuestionKana)) {
            const bool adjust = doc_.integer(docint::kAdjustProfileAtLogin) != 0;
            if (adjust && !timesMatched_) adjustProfile();
            else engine_.Send("N\r");
            continue;
        }
        if (line.find(t.mainMenu) != std::string::npos) break;
        if (line.find(t.wrongPassword) != std::string::npos) {
            engine_.events().report(texts::kWrongPassword);
            engine_.setResult(result::WrongPassword);
            return result::WrongPassword;
        }
        if (line.find(t.doubleLogin) != std::string::npos) {
            engine_.events().report(texts::kDoubleLogin);
            engine_.setResult(result::DoubleLogin);
            return result::DoubleLogin;
        }
        if (line.find(t.congested) != std::string::npos) {
            engine_.events().report(texts::kLoginFailed);
            engine_.setResult(result::Congested);
            return result::Congested;
        }
        if (isLogoutBanner(line)) compareLogoutTime(bannerLogoutTime(line));
    }
    return readMainMenu();
}

void PatrolRun::adjustProfile() {
    // The host's profile menu, walked with fixed answers. Where a choice is wanted, the
    // current-value line of the screen shows whether the setting differs from it.
    enum class Then { WaitForEquals, WaitForMenuThenEquals, CaptureOne, CaptureTwo };
    struct Step {
        const char* send;
        Then then;
    };
    static constexpr Step kSteps[] = {
        {"Y\r", Then::WaitForEquals}, {"N\r", Then::WaitForEquals}, {"2\r", Then::CaptureTwo},
        {"2\r", Then::CaptureTwo},    {"2\r", Then::CaptureOne},    {"1\r", Then::CaptureTwo},
        {"2\r", Then::WaitForEquals}, {"1\r", Then::CaptureOne},    {"1\r", Then::WaitForMenuThenEquals},
        {"2\r", Then::CaptureOne},    {"1\r", Then::WaitForEquals},
    };
    const LoginTexts& t = loginTexts();
    bool changed = false;
    for (const Step& step : kSteps) {
        engine_.Send(step.send);
        if (step.then == Then::WaitForMenuThenEquals &&
            engine_.WaitFor(menuTexts().promptStart, false) != result::Ok)
            return;
        if (step.then == Then::WaitForEquals || step.then == Then::WaitForMenuThenEquals) {
            if (engine_.WaitFor("=", false) != result::Ok) return;
            continue;
        }
        std::string screen;
        if (engine_.CaptureUntil("=", screen) != result::Ok) return;
        const bool wantTwo = step.then == Then::CaptureTwo;
        for (std::size_t start = 0; start < screen.size();) {
            const std::size_t end = std::min(screen.find('\n', start), screen.size());
            const std::string_view line(screen.data() + start, end - start);
            start = end + 1;
            if (line.find(t.currentValue) == std::string_view::npos &&
                line.find(t.currentValueJis) == std::string_view::npos)
                continue;
            const bool hasWanted =
                line.find(wantTwo ? t.choiceTwo : t.choiceOne) != std::string_view::npos ||
                (wantTwo && line.find(t.choiceTwoJis) != std::string_view::npos);
            if (!hasWanted) changed = true;
        }
    }
    engine_.Send(changed ? "Y\r" : "N\r");
}

int PatrolRun::readMainMenu() {
    for (;;) {
        std::string line;
        const Waited<LineRead> got =
            engine_.ReadLine(line, {loginTexts().mainMenuPrompt, loginTexts().mainMenuPromptBare});
        if (!got) return got.code();
        if (got.is(LineRead::Prompt)) break;
        if (line.find(loginTexts().newMailEntry) != std::string::npos) {
            engine_.events().report(texts::kNewMail);
            newMailAnnounced_ = true;
        }
    }
    engine_.events().report(texts::kLoginSucceeded);
    return engine_.result();
}

}  // namespace morvaline
