// The "Statistika" window in the assembled program: opened by its key,
// following the contacts logged in the main window, opening the summary,
// and remembered open with its place for the next start.
#include "logger/statistics_window.h"
#include "logger/program.h"
#include "logger/statistics_summary.h"
#include "platform/clock.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QTest>

namespace corvatta {
namespace {

TEST(StatisticsWindowTest, FollowsTheLogAndIsRememberedOpenWithItsPlace) {
    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    const QByteArray settings =
        "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=2\r\nMyName=Ana\r\n"
        "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n";
    dir.Write("Corvattaini.ini", settings);
    platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(7, 20, 5), Qt::UTC));
    QPoint place;
    {
        StationState state;
        Program program(state, clock, [](int) {});
        program.main.show();
        program.main.ClockTimerTick();
        QApplication::setActiveWindow(&program.main);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&program.main));
        program.main.ECall->setFocus();
        EXPECT_EQ(program.Statistics().Built(), nullptr);

        QTest::keyClick(program.main.ECall, Qt::Key_R, Qt::ControlModifier);
        StatisticsWindow* w = program.Statistics().Built();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(program.main.ECall->text(), "");  // the key went to the menu only
        EXPECT_EQ(w->LContacts->text(), "0");
        EXPECT_TRUE(w->LCw->isVisibleTo(w));  // MIX: CW and SSB side by side

        QTest::keyClicks(program.main.ECall, "S59ABC 85");
        QTest::keyClick(program.main.ECall, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->LContacts->text() == "1"; }));
        EXPECT_EQ(w->LScore->text(), program.main.ESum->text());
        EXPECT_EQ(w->LElapsed->text(), "0:20");
        EXPECT_EQ(w->LRemaining->text(), "1:40");
        EXPECT_EQ(w->LCw->text(), "1");

        w->BSummary->click();
        ASSERT_NE(program.Statistics().BuiltSummary(), nullptr);
        EXPECT_TRUE(program.Statistics().BuiltSummary()->Table->toPlainText().contains(
            "Zveze: 1  CW: 1  SSB: 0"));
        w->move(60, 150);
        place = w->geometry().topLeft();
        program.main.close();
    }
    const QString ini = QString::fromLatin1(dir.Read("Corvattaini.ini"));
    EXPECT_TRUE(ini.contains("[Statistika]\r\nVisible=1\r\n"));

    StationState state;
    Program program(state, clock, [](int) {});
    program.main.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.Statistics().Built() != nullptr; }));
    EXPECT_TRUE(program.Statistics().Built()->isVisible());
    EXPECT_EQ(program.Statistics().Built()->geometry().topLeft(), place);
}

}  // namespace
}  // namespace corvatta
