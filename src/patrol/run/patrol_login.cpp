// Logging in: the login commands, the screens that the host shows after the password, the
// check of the host's previous logout time, and the main menu.

#include <array>

#include "link/result_codes.h"
#include "patrol/run/login_script.h"
#include "patrol/run/logout_time.h"
#include "patrol/run/patrol_run.h"
#include "platform/text_codec.h"
#include "store/document.h"

namespace morvaline {
namespace {

// The host's texts that the login waits for, in Shift_JIS.
struct LoginTexts {
    std::string userIdPrompt = sj("ユーザＩＤ： ");
    std::string passwordPrompt = sj("パスワード： ");
    std::string noticesQuestion = sj("お知らせを表示しますか");
    std::string pressReturn = sj("リターンキーを押して下さい=");
    std::string profileQuestion = sj("＊プロファイルを修正しますか");
    std::string profileQuestionKana = sj("*ﾌﾟﾛﾌｧｲﾙ ｦ ｼｭｳｾｲ ｼﾏｽｶ");
    std::string mainMenu = sj("　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)");
    std::string wrongPassword = sj("ＩＤまたはパスワードが間違っています。訂正してください");
    std::string doubleLogin = sj("◆二重ログインです◆");
    std::string congested = sj("ただ今、回線は大変混雑しております。しばらくたってからご利用下さい。");
    std::string menuPromptShort = sj("番号またはコマンド(H,Q,J)=");
    std::string menuPromptBare = sj("番号またはコマンド=");
    std::string menuPromptStart = sj("番号またはコマンド");
    std::string newMailEntry = sj("１．電子メール【到着】");
    std::string currentValue = sj("（現在値）");
    std::string choiceOne = sj("１．");
    std::string choiceTwo = sj("２．");
};

const LoginTexts& loginTexts() {
    static const LoginTexts instance;
    return instance;
}

}  // namespace

void PatrolRun::runScript(const std::string& script) {
    for (const ScriptStep& step : parseLoginScript(expandCaretNotation(script))) {
        if (engine_.result() != result::Ok) return;
        switch (step.kind) {
            case ScriptStep::Kind::WaitFor:
                (void)engine_.WaitFor(step.text, false);
                break;
            case ScriptStep::Kind::Send:
                engine_.Send(step.text, false);
                break;
            case ScriptStep::Kind::Pause:
                engine_.clock().sleepFor(500);
                break;
        }
    }
}

int PatrolRun::login() {
    engine_.events().activity(Animation::LoggingIn);
    const int mode = attempt_.loginMode;
    if (mode != 4) engine_.events().report(texts::kLoggingIn);
    if (mode == 2 || mode == 3) runScript(attempt_.loginScript);
    if (mode == 4) {
        doc_.setTime(doctime::kLastLogout, fileTimeNow());
        engine_.Send("JMAIN\r", true);
        (void)engine_.WaitForMenuPrompt();
        engine_.Send("CID\r", true);
    } else {
        if (mode == 1) {
            if (engine_.WaitFor("}", false) < 0) return engine_.result();
            engine_.clock().sleepFor(1000);
        } else {
            engine_.clock().sleepFor(3000);
        }
        engine_.Send("LUDRIX\r");
        engine_.events().report(texts::kLoginPrompt);
    }
    if (engine_.WaitForAny({"USER_ID:", loginTexts().userIdPrompt}, false) < 0) return engine_.result();
    engine_.Send(options_.userId + "\r");
    if (engine_.WaitForAny({"PASSWORD: ", loginTexts().passwordPrompt}, false) < 0) return engine_.result();
    engine_.Send(options_.password + "\r");
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
    // A long list of this login's notices ("今回のお知らせ") stops for the return key.
    constexpr int kPressReturn = 4;
    const std::array<Prompt, 5> prompts = {Prompt{"\r\n"}, Prompt{t.noticesQuestion},
                                           Prompt{t.profileQuestion}, Prompt{t.profileQuestionKana},
                                           Prompt{t.pressReturn, true}};
    for (;;) {
        std::string line;
        const int k = engine_.WaitForPrompts(prompts, &line);
        if (k < 0) return k;
        if (k == kPressReturn) {
            engine_.Send("\r");
            if (engine_.WaitFor("\n", false) < 0) return engine_.result();
            continue;
        }
        if (k >= 1 && engine_.WaitFor("=", false) < 0) return engine_.result();
        if (k == 1) {
            // The notices are fetched by their own place.
            engine_.Send("N\r");
            break;
        }
        if (k >= 2) {
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
        if (step.then == Then::WaitForMenuThenEquals && engine_.WaitFor(t.menuPromptStart, false) < 0)
            return;
        if (step.then == Then::WaitForEquals || step.then == Then::WaitForMenuThenEquals) {
            if (engine_.WaitFor("=", false) < 0) return;
            continue;
        }
        std::string screen;
        if (engine_.CaptureUntil("=", screen) < 0) return;
        const bool wantTwo = step.then == Then::CaptureTwo;
        for (std::size_t start = 0; start < screen.size();) {
            const std::size_t end = std::min(screen.find('\n', start), screen.size());
            const std::string_view line(screen.data() + start, end - start);
            start = end + 1;
            if (line.find(t.currentValue) == std::string_view::npos &&
                line.find("!J8=:_CM!K") == std::string_view::npos)
                continue;
            const bool hasWanted = line.find(wantTwo ? t.choiceTwo : t.choiceOne) != std::string_view::npos ||
                                   (wantTwo && line.find("#2!%") != std::string_view::npos);
            if (!hasWanted) changed = true;
        }
    }
    engine_.Send(changed ? "Y\r" : "N\r");
}

int PatrolRun::readMainMenu() {
    for (;;) {
        std::string line;
        const int k = engine_.ReadLine(line, {loginTexts().menuPromptShort, loginTexts().menuPromptBare});
        if (k < 0) return k;
        if (k > 0) break;
        if (line.find(loginTexts().newMailEntry) != std::string::npos) {
            engine_.events().report(texts::kNewMail);
            newMailAnnounced_ = true;
        }
    }
    engine_.events().report(texts::kLoginSucceeded);
    return engine_.result();
}

}  // namespace morvaline
