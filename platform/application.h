// The application object of both programs. Qt lets an exception that
// escapes an event handler end the process; here it is caught and shown in
// the standard error box instead, and the program goes on, as the operator
// needs it to in the middle of a contest.
#pragma once

#include <QApplication>
#include <utility>

namespace platform {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// A termination request (SIGTERM at logout or shutdown, SIGINT, SIGHUP) closes the windows as
// their close boxes do, so that what a program saves on closing is saved, then ends the event
// loop. Called once by a program after its application object exists; without it the
// signals keep their default action, which ends the process at once.
void CloseWindowsOnTerminationSignals();

// Shows the exception currently being handled; for catch blocks outside
// the event loop.
void ShowCurrentException();

// Wraps a handler so that its exception is shown where it happens. Letting
// it unwind through the toolkit's event dispatch works (notify catches it)
// but leaves the toolkit's own bookkeeping of that event behind, so
// handlers that may fail by design (file commands) are wrapped.
template <typename F>
auto Guarded(F f) {
    return [f = std::move(f)]() {
        try {
            f();
        } catch (...) {
            ShowCurrentException();
        }
    };
}

}  // namespace platform
