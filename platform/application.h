// The application object of both programs. Qt lets an exception that
// escapes an event handler end the process; here it is caught and shown in
// the standard error box instead, and the program goes on, as the operator
// needs it to in the middle of a contest.
#pragma once

#include <QApplication>

namespace platform {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the exception currently being handled; for catch blocks outside
// the event loop.
void ShowCurrentException();

}  // namespace platform
