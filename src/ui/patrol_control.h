#pragma once
// A patrol of the open data set run from the desktop program (at start-up with -r or -x):
// the line stack and the patrol controller of the session library, the engine's reports
// into the data set's reporter, and its item and place notices (by serial) into the
// windows. Main thread.

#include <functional>
#include <memory>

#include "patrol/engine/patrol_events.h"

namespace morvaline {
class CTolDoc;
class DiallingPlan;
class LineStack;
class PatrolSession;
class Registry;
}  // namespace morvaline

namespace morvaline::ui {

class MainWindow;

class PatrolControl final : public PatrolEvents {
public:
    PatrolControl(MainWindow& window, Registry& registry);
    ~PatrolControl() override;

    // Starts a patrol of the window's data set at its priority level; false (reported)
    // when none can start. ended: called with the run's result code once the line is closed.
    bool start(const std::string& sjisPassword, std::function<void(int)> ended);
    bool running() const;

    void report(const Text& text, std::string_view arg1) override;
    void itemNotice(const ItemNotice& notice) override;
    void placeNotice(const PlaceNotice& notice) override;

private:
    MainWindow& window_;
    Registry& registry_;
    std::unique_ptr<DiallingPlan> plan_;
    std::unique_ptr<LineStack> line_;
    std::unique_ptr<PatrolSession> session_;
};

}  // namespace morvaline::ui
