#include "session/patrol_session.h"

#include "store/document.h"

namespace morvaline {

DialogueSettings dialogueSettingsOf(const UserSettings& s) {
    return DialogueSettings{s.timeout, s.idleTime, s.delayAfterCr, s.sendAhead};
}

PatrolSession::PatrolSession(LineStack& line, PatrolEvents& mainThreadEvents)
    : line_(line),
      mainThreadEvents_(mainThreadEvents),
      link_(line.connection(), line.dialUp(), line.dispatcher()),
      events_(mainThreadEvents, line.dispatcher()) {}

PatrolSession::~PatrolSession() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!thread_.exists()) return;
    stop({});
    line_.shutdown();
    thread_.join();
    line_.connection().detachEngine();
}

bool PatrolSession::startPatrol(CTolDoc& doc, PatrolOptions options, Ended ended) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (thread_.exists()) return false;
    storeLink_ = std::make_unique<StoreLink>(doc, line_.connection(), line_.dispatcher());
    const bool patrol = options.patrol;
    return startThread(
        patrol, dialogueSettingsOf(doc.settings()),
        [&doc, options = std::move(options), factory = factory_](CPatrolEngine& engine) {
            PatrolRun run(engine, doc, options, factory(engine, doc));
            return run.run();
        },
        std::move(ended));
}

bool PatrolSession::start(bool patrol, DialogueSettings settings, PatrolThread::Run run,
                          Ended ended) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (thread_.exists()) return false;
    storeLink_.reset();
    return startThread(patrol, settings, std::move(run), std::move(ended));
}

bool PatrolSession::startThread(bool patrol, DialogueSettings settings, PatrolThread::Run run,
                                Ended ended) {
    line_.connection().attachEngine();
    patrolFlag_ = patrol;
    ended_ = std::move(ended);
    StoreRequests& store = storeLink_ ? static_cast<StoreRequests&>(*storeLink_) : noStore_;
    const EngineLinks links{line_.block(), link_, store, events_, clock_};
    return thread_.start(links, settings, std::move(run),
                         [this, post = line_.dispatcher().poster()](int exitCode) {
                             post([this, exitCode] { onEnded(exitCode); });
                         });
}

void PatrolSession::onEnded(int exitCode) {
    thread_.join();
    line_.connection().detachEngine();
    const bool wasPatrol = patrolFlag_;
    patrolFlag_ = false;
    if (!wasPatrol) mainThreadEvents_.activateTerminal();
    if (ended_) ended_(exitCode);
}

bool PatrolSession::cancel(const std::function<bool()>& confirm) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!line_.connection().cancel(confirm, false)) return false;
    patrolFlag_ = false;
    return true;
}

bool PatrolSession::stop(const std::function<bool()>& confirm) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!line_.connection().cancel(confirm, true)) return false;
    patrolFlag_ = false;
    return true;
}

}  // namespace morvaline
