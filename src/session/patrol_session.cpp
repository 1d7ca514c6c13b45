#include "session/patrol_session.h"

#include <QCoreApplication>

namespace morvaline {

PatrolSession::PatrolSession(Connection& connection, CommBlock& block, MainDispatcher& dispatcher,
                             PatrolEvents& mainThreadEvents, StoreRequests* store)
    : connection_(connection),
      block_(block),
      dispatcher_(dispatcher),
      mainThreadEvents_(mainThreadEvents),
      store_(store ? *store : noStore_),
      link_(connection, dispatcher),
      events_(mainThreadEvents, dispatcher) {}

PatrolSession::~PatrolSession() {
    if (!thread_.exists()) return;
    stop({});
    // The engine may be waiting for the main thread; keep serving it until it has ended.
    while (!finished_) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    thread_.join();
    connection_.detachEngine();
}

bool PatrolSession::start(bool patrol, DialogueSettings settings, PatrolThread::Run run,
                          Ended ended) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (thread_.exists()) return false;
    connection_.attachEngine();
    patrolFlag_ = patrol;
    ended_ = std::move(ended);
    finished_ = false;
    const EngineLinks links{block_, link_, store_, events_, clock_};
    return thread_.start(links, settings, std::move(run),
                         [this, post = dispatcher_.poster()](int exitCode) {
                             finished_ = true;
                             post([this, exitCode] { onEnded(exitCode); });
                         });
}

void PatrolSession::onEnded(int exitCode) {
    thread_.join();
    connection_.detachEngine();
    const bool wasPatrol = patrolFlag_;
    patrolFlag_ = false;
    if (!wasPatrol) mainThreadEvents_.activateTerminal();
    if (ended_) ended_(exitCode);
}

bool PatrolSession::cancel(const std::function<bool()>& confirm) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!connection_.cancel(confirm, false)) return false;
    patrolFlag_ = false;
    return true;
}

bool PatrolSession::stop(const std::function<bool()>& confirm) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!connection_.cancel(confirm, true)) return false;
    patrolFlag_ = false;
    return true;
}

}  // namespace morvaline
