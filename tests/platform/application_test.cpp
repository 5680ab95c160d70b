#include "platform/errors.h"
#include "tests/support/recording_dialogs.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>

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

}  // namespace
