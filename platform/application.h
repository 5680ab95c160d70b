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
