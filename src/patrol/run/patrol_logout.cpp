// The end of a run: logging out (the host's logout time recorded), hanging up, and the
// run's closing report.

#include "link/result_codes.h"
#include "patrol/run/login_texts.h"
#include "patrol/run/patrol_run.h"
#include "store/document.h"
#include "store/host_date.h"

namespace morvaline {
namespace {

constexpr int kLogoutWaitMs = 20'000;

bool loginFailed(int r) {
    return r == result::WrongPassword || r == result::DoubleLogin || r == result::Congested;
}

}  // namespace

int PatrolRun::logout(int r) {
    const LoginTexts& t = loginTexts();
    const bool mayLogOut = r == result::Ok || r == result::Silence || r == result::OutOfStep || loginFailed(r);
    int final = r;
    if (mayLogOut) {
        if (r == result::OutOfStep) engine_.events().report(texts::kOutOfStep);
        const bool stayLoggedIn = doc_.tree().item(0).hasFlag(ITEM_FLAG_NO_LOGOUT);
        if (stayLoggedIn && !options_.quitAfterRun && r == result::Ok) {
            engine_.events().report(texts::kPatrolFinishedNoLogout);
            engine_.events().activateTerminal();
            engine_.events().report(texts::kPatrolFinished);
            return r;
        }
        engine_.setResult(result::Ok);
        bool loggedOut = false;
        if (!loginFailed(r)) {
            engine_.events().activity(Animation::LoggingOut);
            engine_.setWaitTimeout(kLogoutWaitMs);
            engine_.Send("Q\r");
            // The goodbye is the LOG OUT line with the host's time and the farewell, in
            // either order; a host may close the line right after the LOG OUT line. A
            // missing text costs only what it carries: the time, or the log line.
            const auto takeTime = [&] {
                std::string date, time;
                if (engine_.CaptureUntil(t.logOutTime, date) == result::Ok &&
                    engine_.CaptureUntil("\r", time) == result::Ok) {
                    if (const FileTime host = parseHostDate(date + time))
                        doc_.setTime(doctime::kLastLogout, host);
                }
            };
            using Goodbye = LoginTexts::Goodbye;
            const Waited<Goodbye> first = engine_.WaitForScreen(t.goodbye);
            bool farewell = first.is(Goodbye::Thanks);
            if (first.is(Goodbye::LogOutLine)) {
                takeTime();
                farewell = engine_.WaitFor(t.thanks, false) == result::Ok;
            } else if (farewell && engine_.WaitFor(t.logOutLine, false) == result::Ok) {
                takeTime();
            }
            loggedOut = static_cast<bool>(first);
            if (farewell) engine_.events().report(texts::kLoggedOut);
        }
        // The host closes the line after its goodbye; a cancel or a lost line before any of
        // it is what the run ends with. Otherwise the result that brought the run here stands.
        final = !loggedOut && engine_.result() != result::Ok ? engine_.result() : r;
        engine_.setResult(final);
        if (r == result::Silence) engine_.events().report(texts::kNothingReceived);
        if (attempt_.hangUpAfterLogout) engine_.line().hangUp();
    }
    engine_.events().report(final != result::Ok ? texts::kPatrolStopped : texts::kPatrolFinished);
    return final;
}

}  // namespace morvaline
