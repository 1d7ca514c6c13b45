#pragma once
// One patrol run, on the patrol thread: connect through the access points, log in, answer
// the screens after login, walk the place tree with the run's services (see
// place_service.h), log out and hang up. A login-only run stops after the login and leaves
// the line connected.
//
// Places of a kind that no service serves are passed over: they are neither served nor
// reported as served.

#include <string>

#include "link/line_requests.h"
#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"
#include "patrol/run/reservation_check.h"

namespace morvaline {

class CTolDoc;

struct PatrolOptions {
    bool patrol = true;         // false: log in only
    PatrolLevel level = PatrolLevel::All;
    bool quitAfterRun = false;  // started by the request that patrols and then quits
    std::string userId;
    std::string password;       // Shift_JIS, as the host expects it
};

class PatrolRun final : public PatrolWalk {
public:
    PatrolRun(CPatrolEngine& engine, CTolDoc& doc, PatrolOptions options,
              PlaceServices services = {});

    // The whole run; returns its result code (0 when it ended normally).
    int run();

    // --- Steps, each on the patrol thread (also used by tests) ---
    // The connection loop over the access points; 0 when the line is up.
    int connect();
    // The login commands up to the password.
    int login();
    // The screens after the password up to the main menu, then the main menu itself.
    int answerLoginScreens();
    // Logout with the run's result R; returns the run's final result.
    int logout(int result);

    // PatrolWalk
    DueCheck isDue(int place, bool peek) override;
    bool newMailAnnounced() const override { return newMailAnnounced_; }

private:
    void runScript(const std::string& script);
    void adjustProfile();
    void compareLogoutTime(FileTime hostTime);
    int readMainMenu();
    void walk();

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    PatrolOptions options_;
    PlaceServices services_;
    AttemptTarget attempt_;          // the access point that made the line
    bool newMailAnnounced_ = false;  // the main menu showed "１．電子メール【到着】"
    bool timesMatched_ = false;      // the host's logout time matched the recorded one
};

}  // namespace morvaline
