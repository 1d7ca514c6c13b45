#include "session/patrol_link.h"

#include <string>

namespace morvaline {

bool PatrolLink::writeText(std::string_view text, Secrecy secrecy) {
    return dispatcher_.call([&] { return connection_.writeText(text, secrecy); }, false);
}

bool PatrolLink::telnetConnect() {
    return dispatcher_.call([this] { return connection_.connect(); }, false);
}

bool PatrolLink::telnetResolve() {
    return dispatcher_.call([this] { return connection_.resolve(); }, false);
}

void PatrolLink::telnetClose() {
    dispatcher_.send([this] { connection_.close(); });
}

void PatrolLink::hangUp() {
    dispatcher_.post([this] { connection_.hangUp(); });
}

bool PatrolLink::openModemPort() {
    return dispatcher_.call(
        [this] {
            const AccessPoint* ap = plan_ ? plan_->current() : nullptr;
            const auto& devices = plan_ ? plan_->list().comDevices : std::vector<std::string>();
            if (!ap || ap->port < 1 || ap->port > static_cast<int>(devices.size())) {
                connection_.reporter().report(texts::kNoPortChosen);
                return false;
            }
            return connection_.openSerial(
                {devices[static_cast<std::size_t>(ap->port - 1)], ap->baudRate, ap->flow});
        },
        false);
}

bool PatrolLink::rasDial() {
    return dispatcher_.call(
        [this] {
            const AccessPoint* ap = plan_ ? plan_->current() : nullptr;
            return dialUp_.dial(ap ? ap->dialupName : std::string(), ap && ap->showRasNext != 0);
        },
        false);
}

bool PatrolLink::placeTapiCall() {
    return dispatcher_.call(
        [this] {
            const AccessPoint* ap = plan_ ? plan_->current() : nullptr;
            return ap && connection_.placeCall(lineDeviceCall(plan_->list(), *ap));
        },
        false);
}

void PatrolLink::modemDialled() {
    dispatcher_.send([this] { connection_.modemDialled(); });
}

void PatrolLink::modemConnected() {
    dispatcher_.send([this] {
        const AccessPoint* ap = plan_ ? plan_->current() : nullptr;
        connection_.modemConnected(ap && ap->cdAlwaysOn != 0);
    });
}

void PatrolLink::setDiallingPlan(DiallingPlan* plan) {
    plan_ = plan;
    aimAtCurrent();
}

void PatrolLink::aimAtCurrent() {
    if (!plan_ || !plan_->current()) return;
    const AccessPoint& ap = *plan_->current();
    connection_.setTelnetTarget({ap.telnetName, ap.telnetPort});
}

int PatrolLink::nextAccessPoint() {
    return dispatcher_.call(
        [this] {
            if (!plan_) return 0;
            bool redialling = false;
            const int pause = plan_->next(&redialling);
            aimAtCurrent();
            if (redialling) connection_.reporter().report(texts::kRedialWait);
            return pause;
        },
        0);
}

std::optional<AttemptTarget> PatrolLink::currentAttempt() {
    return dispatcher_.call(
        [this]() -> std::optional<AttemptTarget> {
            if (!plan_ || !plan_->current()) return std::nullopt;
            const AccessPoint& ap = *plan_->current();
            return AttemptTarget{static_cast<LineType>(ap.line),
                                 ap.name,
                                 ap.telnetName,
                                 loginModeOf(ap.route),
                                 ap.script,
                                 ap.disconnectAfterLogout != 0,
                                 modemDialOf(ap, dialledNumber(plan_->list(), ap))};
        },
        std::optional<AttemptTarget>());
}

bool PatrolLink::startTransfer(const TransferRequest& request) {
    return dispatcher_.call([&] { return connection_.startTransfer(request); }, false);
}

}  // namespace morvaline
