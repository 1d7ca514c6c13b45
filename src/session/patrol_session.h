#pragma once
// The patrol controller of a line: runs a patrol (or a login-only run) of a user's data set
// on the patrol thread, its engine wired to the line stack (requests through the
// dispatcher, received text through the CommBlock, events forwarded to the main thread,
// reserved texts sent from the document's lists), and ends it when the thread reports its
// end. The run's services come from one factory, which tests replace.
//
// Main thread.

#include <atomic>
#include <functional>
#include <memory>

#include "patrol/engine/wait_clock.h"
#include "patrol/run/patrol_run.h"
#include "patrol/services/service_factory.h"
#include "session/line_stack.h"
#include "session/patrol_events_forwarder.h"
#include "session/patrol_link.h"
#include "session/patrol_thread.h"
#include "session/store_link.h"

namespace morvaline {

class CTolDoc;
struct UserSettings;

// The dialogue settings of a user: Timeout, IdleTime, DelayAfterCr, SendAhead.
DialogueSettings dialogueSettingsOf(const UserSettings& settings);

class PatrolSession {
public:
    // Called on the main thread once the thread has been joined, with the exit code.
    using Ended = std::function<void(int exitCode)>;

    PatrolSession(LineStack& line, PatrolEvents& mainThreadEvents);
    // A run still going is stopped, the line stack's dispatcher shut down (which releases
    // an engine waiting for the main thread) and the thread joined: no event loop runs
    // meanwhile, and the line stack serves no worker afterwards.
    ~PatrolSession();
    PatrolSession(const PatrolSession&) = delete;
    PatrolSession& operator=(const PatrolSession&) = delete;

    // No run is going.
    bool mayStart() const { return !thread_.exists() && !line_.dialUp().hangingUp(); }
    bool running() const { return thread_.exists(); }
    // Patrol (true) or log in only and leave the line to the terminal (false).
    bool patrolFlag() const { return patrolFlag_; }

    // Before a start: the plan of the access points to try (already started).
    void setDiallingPlan(DiallingPlan* plan) { link_.setDiallingPlan(plan); }
    // The services of the runs started from now on.
    void setServiceFactory(PlaceServiceFactory factory) { factory_ = std::move(factory); }

    // Starts a patrol (options.patrol) or a login-only run of the data set with the user's
    // dialogue settings; false when a run is going.
    bool startPatrol(CTolDoc& doc, PatrolOptions options, Ended ended);
    // Starts any other dialogue on the line (tests, benchmarks), without a data set.
    bool start(bool patrol, DialogueSettings settings, PatrolThread::Run run, Ended ended);
    // The user's cancel ("ﾛｸﾞｲﾝのみ/切断" while connected or connecting) and stop (the
    // run's stop command, which also wakes the engine); see Connection::cancel. False when
    // the user declined.
    bool cancel(const std::function<bool()>& confirm);
    bool stop(const std::function<bool()>& confirm);

private:
    // No reserved texts can be opened.
    class NoStore final : public StoreRequests {
    public:
        bool openTextToSend(const ReservedText&) override { return false; }
        int sendNextTextLine() override { return 0; }
    };

    bool startThread(bool patrol, DialogueSettings settings, PatrolThread::Run run, Ended ended);
    void onEnded(int exitCode);

    LineStack& line_;
    PatrolEvents& mainThreadEvents_;
    PlaceServiceFactory factory_ = makePlaceServices;
    NoStore noStore_;
    std::unique_ptr<StoreLink> storeLink_;  // the data set's, while a patrol of it runs
    PatrolLink link_;
    PatrolEventsForwarder events_;
    SystemWaitClock clock_;
    PatrolThread thread_;
    bool patrolFlag_ = false;
    Ended ended_;
    ThreadAffinity mainThread_;
};

}  // namespace morvaline
