#pragma once
// The event loop for tests of main-thread code: one QCoreApplication for the test
// program, and waiting for a condition while the loop runs, with a deadline.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace morvaline::test {

inline QCoreApplication& testApp() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the event loop until done() holds; false when the deadline passed first.
template <class Done>
bool spinUntil(Done done, int deadlineMs = 10'000) {
    testApp();
    QDeadlineTimer deadline(deadlineMs);
    QTimer tick;  // wakes the loop now and then to look at done()
    tick.start(5);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace morvaline::test
