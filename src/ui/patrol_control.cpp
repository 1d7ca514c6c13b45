#include "ui/patrol_control.h"

#include <QTimer>

#include "comm/access_point.h"
#include "comm/dialling_plan.h"
#include "session/line_stack.h"
#include "session/patrol_session.h"
#include "store/document.h"
#include "store/opened_list.h"
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

// The announcements carry indices of the moment they were made; the windows take serials
// and check them against the store themselves.
void PatrolControl::item(int itemIndex, int placeIndex) {
    CTolDoc* doc = window_.document();
    if (!doc || !doc->tree().valid(placeIndex)) return;
    const int placeSerial = doc->tree().item(placeIndex).m_nSerial;
    int itemSerial = -1;
    {
        OpenedList list(*doc, placeIndex, false);
        if (list && list->valid(itemIndex)) itemSerial = list->item(itemIndex).m_nSerial;
    }
    if (itemSerial >= 0) window_.itemChanged(placeSerial, itemSerial);
    window_.placesChanged();
}

void PatrolControl::itemAdded(int itemIndex, int placeIndex) { item(itemIndex, placeIndex); }
void PatrolControl::itemChanged(int itemIndex, int placeIndex) { item(itemIndex, placeIndex); }
void PatrolControl::itemFileTransferred(int itemIndex, int placeIndex) { item(itemIndex, placeIndex); }
void PatrolControl::placeAdded(int) { window_.placesChanged(); }
void PatrolControl::placeChanged(int) { window_.placesChanged(); }
void PatrolControl::placeReservationChanged(int) { window_.placesChanged(); }

}  // namespace morvaline::ui
