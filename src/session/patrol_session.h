#pragma once
// A patrol run over a real line: starts the patrol thread with its engine wired to the
// Connection (requests through the dispatcher, received text through the CommBlock,
// events forwarded to the main thread), and ends it when the thread reports its end.
//
// Main thread. The run's own work (connect, log in, walk, log out) is the Run given to
// start().

#include <atomic>
#include <functional>

#include "comm/connection.h"
#include "link/store_requests.h"
#include "patrol/engine/wait_clock.h"
#include "session/patrol_events_forwarder.h"
#include "session/patrol_link.h"
#include "session/patrol_thread.h"

namespace morvaline {

class PatrolSession {
public:
    // Called on the main thread once the thread has been joined, with the exit code.
    using Ended = std::function<void(int exitCode)>;

    // store may be null while no reserved texts can be sent (nothing is then opened).
    PatrolSession(Connection& connection, CommBlock& block, MainDispatcher& dispatcher,
                  PatrolEvents& mainThreadEvents, StoreRequests* store = nullptr);
    // A run still going is stopped and waited for (the event loop keeps running meanwhile).
    ~PatrolSession();
    PatrolSession(const PatrolSession&) = delete;
    PatrolSession& operator=(const PatrolSession&) = delete;

    // No run is going.
    bool mayStart() const { return !thread_.exists(); }
    bool running() const { return thread_.exists(); }
    // Patrol (true) or log in only and leave the line to the terminal (false).
    bool patrolFlag() const { return patrolFlag_; }

    // Main thread, before start(): the plan of the access points to try (already started).
    void setDiallingPlan(DiallingPlan* plan) { link_.setDiallingPlan(plan); }

    // Starts a run; false when one is going.
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

    void onEnded(int exitCode);

    Connection& connection_;
    CommBlock& block_;
    MainDispatcher& dispatcher_;
    PatrolEvents& mainThreadEvents_;
    NoStore noStore_;
    StoreRequests& store_;
    PatrolLink link_;
    PatrolEventsForwarder events_;
    SystemWaitClock clock_;
    PatrolThread thread_;
    bool patrolFlag_ = false;
    std::atomic<bool> finished_{false};  // the worker has ended (set on the worker)
    Ended ended_;
    ThreadAffinity mainThread_;
};

}  // namespace morvaline
