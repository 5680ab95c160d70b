#include "platform/application.h"
#include "platform/errors.h"
#include "tests/support/recording_dialogs.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <csignal>

namespace {

// An exception thrown by an event handler reaches the error box and the
// event loop goes on.
TEST(Application, ExceptionFromAnEventHandlerIsShownAndTheProgramGoesOn) {
    testing_support::RecordingDialogs dialogs;
    bool laterRan = false;
    QTimer::singleShot(0, [] { throw platform::IoError("Disk full: S59ABC.log"); });
    QTimer::singleShot(5, [&] { laterRan = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return laterRan; }, 1000));
    EXPECT_EQ(dialogs.Texts("error"), QStringList{"Disk full: S59ABC.log"});
}

// SIGTERM at logout closes the windows as their close boxes do, so what they save is saved.
TEST(Application, ATerminationSignalClosesTheWindows) {
    struct Window : QWidget {
        bool closed = false;
        void closeEvent(QCloseEvent* event) override {
            closed = true;
            QWidget::closeEvent(event);
        }
    } window;
    window.show();
    platform::CloseWindowsOnTerminationSignals();
    ASSERT_EQ(::raise(SIGTERM), 0);  // the process lives on
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.closed; }, 2000));
    EXPECT_FALSE(window.isVisible());
    // Back to the default for the rest of this test program.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, SIG_DFL);
}

}  // namespace
