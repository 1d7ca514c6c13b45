#include "ui/patrol_control.h"

#include <QTimer>

#include "comm/access_point.h"
#include "comm/dialling_plan.h"
#include "session/line_stack.h"
#include "session/patrol_session.h"
#include "store/document.h"
#include "ui/main_window.h"
#include "ui/startup.h"

namespace morvaline::ui {

PatrolControl::PatrolControl(MainWindow& window, Registry& registry) : window_(window), registry_(registry) {}

PatrolControl::~PatrolControl() {
    session_.reset();  // stops a run still going and joins its thread
    line_.reset();
}

bool PatrolControl::running() const { return session_ && session_->running(); }

bool PatrolControl::start(const std::string& password, std::function<void(int)> ended) {
    CTolDoc* doc = window_.document();
    if (!doc || running()) return false;
    session_.reset();
    line_.reset();
    plan_ = std::make_unique<DiallingPlan>(loadAccessPoints(registry_, moduleDirectory() / "MODEMDAT.INI"));
    if (!plan_->start()) {
        doc->reporter().report(texts::kNoAccessPoint);
        return false;
    }
    line_ = std::make_unique<LineStack>(doc->reporter(), lineSettingsOf(*doc));
    session_ = std::make_unique<PatrolSession>(*line_, *this);
    session_->setDiallingPlan(plan_.get());
    PatrolOptions options;
    options.level = static_cast<PatrolLevel>(std::clamp(doc->integer(docint::kPatrolLevel), 0, 4));
    options.userId = doc->userId();
    options.password = password;
    return session_->startPatrol(*doc, options, [this, ended = std::move(ended)](int code) {
        window_.placesChanged();
        // The run's thread is joined; the line goes once this call has returned.
        QTimer::singleShot(0, &window_, [this, ended, code] {
            session_.reset();
            line_.reset();
            if (ended) ended(code);
        });
    });
}

void PatrolControl::report(const Text& text, std::string_view arg1) {
    if (CTolDoc* doc = window_.document()) doc->reporter().report(text, arg1);
}

void PatrolControl::itemNotice(const ItemNotice& notice) {
    window_.itemChanged(notice.placeSerial, notice.serial);
    window_.placesChanged();
}

void PatrolControl::placeNotice(const PlaceNotice&) { window_.placesChanged(); }

}  // namespace morvaline::ui
