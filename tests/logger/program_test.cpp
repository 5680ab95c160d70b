// The program's assembly: the keyer link runs from the start, while the
// keyer options and memo windows are built only when first needed and then
// show what windows built at the start would have shown.
#include "logger/program.h"
#include "platform/clock.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <gtest/gtest.h>
#include <QTest>

#include <memory>

namespace corvatta {
namespace {

const QDateTime kOrdinaryDay(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);
const QByteArray kGeneral =
    "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=Ana\r\n"
    "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n";

class ProgramTest : public ::testing::Test {
  protected:
    // Starts the program with these settings files, as main() does.
    void Start(const QByteArray& settings, const QByteArray& portFile) {
        dir_.Write("Corvattaini.ini", kGeneral + settings);
        dir_.Write("Corvatta.ini", portFile);
        program_ = std::make_unique<Program>(state_, clock_, [](int) {});
        startPlace_ = program_->main.pos();
        program_->main.show();
    }
    QByteArray SimulatorPort() { return "[ComPort]\r\nPort=" + sim_.PortPath().toUtf8() + "\r\n"; }
    void Key(Qt::Key key) { QTest::keyClick(program_->main.ECall, key); }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    testing_support::WinKeyerSimulator sim_;
    platform::FixedClock clock_{kOrdinaryDay};
    StationState state_;
    std::unique_ptr<Program> program_;
    QPoint startPlace_;
};

TEST_F(ProgramTest, KeyerSettingsAreReadAtStartAndTheWindowIsBuiltWhenAskedFor) {
    Start(
        "[VIEW]\r\nMainLeft=30\r\nMainTop=40\r\n",
        "[ComPort]\r\nPort=/dev/ttyUSB3\r\nBaudRate=9600\r\n[VIEW]\r\nWKTop=120\r\nWKLeft=90\r\n");
    EXPECT_EQ(program_->BuiltKeyerWindow(), nullptr);
    EXPECT_EQ(program_->BuiltMemoWindow(), nullptr);
    // The port's settings and the window's place are there from the start.
    EXPECT_EQ(program_->keyer.Port()->Port(), "/dev/ttyUSB3");
    EXPECT_EQ(state_.view.WKTop, 120);
    EXPECT_EQ(state_.view.WKLeft, 90);
    // A changed file after the start changes nothing: it was read then.
    dir_.Write("Corvatta.ini", "[ComPort]\r\nPort=/dev/ttyS9\r\n[VIEW]\r\nWKTop=5\r\n");

    QTest::mouseClick(program_->main.EWinkeyer, Qt::LeftButton);
    keyer::TfWK* wk = program_->BuiltKeyerWindow();
    ASSERT_NE(wk, nullptr);
    EXPECT_TRUE(wk->isVisible());
    EXPECT_EQ(wk->pos(), QPoint(90, 120));
    EXPECT_EQ(wk->LCCom->text(), "/dev/ttyUSB3");
    EXPECT_EQ(wk->LBCom->text(), "9600");
    EXPECT_EQ(wk->BOpenCom->text(), "Open Com");
    // Built with it, so its "Form Memo" box reaches the memo; still hidden.
    ASSERT_NE(program_->BuiltMemoWindow(), nullptr);
    EXPECT_FALSE(program_->BuiltMemoWindow()->isVisible());
    wk->cMemo->click();
    EXPECT_TRUE(program_->BuiltMemoWindow()->isVisible());
    EXPECT_TRUE(state_.view.VisibleMemo);
}

TEST_F(ProgramTest, TheMemoShowsAtStartWhenSetAndOnlyThenIsBuilt) {
    Start("[VIEW]\r\nMainLeft=30\r\nMainTop=40\r\nVisibleMemo=1\r\n", {});
    keyer::TfMemo* memo = program_->BuiltMemoWindow();
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo->geometry(),
              QRect(startPlace_ + QPoint(keyer::kMemoOffsetLeft, keyer::kMemoOffsetTop),
                    QSize(keyer::kMemoWidth, keyer::kMemoHeight)));
    EXPECT_EQ(program_->BuiltKeyerWindow(), nullptr);
}

TEST_F(ProgramTest, SharedKeysBeforeTheWindowsAreBuiltShowWhenTheyAre) {
    Start("[WK]\r\nRunMode=1\r\nEnterSendMsg=0\r\n", {});
    program_->main.move(startPlace_ + QPoint(50, 60));
    Key(Qt::Key_F10);  // S/P
    Key(Qt::Key_F10);  // Run again: the memo's label now reads "RUN"
    Key(Qt::Key_F11);  // ESM on
    EXPECT_TRUE(state_.keyer.EnterSendMsg);
    EXPECT_EQ(program_->BuiltKeyerWindow(), nullptr);

    keyer::TfMemo& memo = program_->MemoWindow();
    memo.show();
    EXPECT_EQ(memo.LMemoRun->text(), "RUN");
    EXPECT_FALSE(memo.LMemoESM->isHidden());
    // It sits where a memo built at the start would: against the main
    // window's place then, not where that window was moved since.
    EXPECT_EQ(memo.pos(), startPlace_ + QPoint(keyer::kMemoOffsetLeft, keyer::kMemoOffsetTop));

    QTest::mouseClick(program_->main.EWinkeyer, Qt::LeftButton);
    keyer::TfWK& wk = program_->KeyerWindow();
    EXPECT_TRUE(wk.CBESM->isChecked());
    // F11 from its command line reaches the main window and the memo.
    QTest::keyClick(wk.ECommand, Qt::Key_F11);
    EXPECT_FALSE(state_.keyer.EnterSendMsg);
    EXPECT_TRUE(program_->main.LESM->isHidden());
    EXPECT_TRUE(memo.LMemoESM->isHidden());
}

TEST_F(ProgramTest, TheAutomaticConnectionBuildsTheWindowThatFollowsTheLink) {
    Start("[WK]\r\nComAuto=1\r\nComConnected=1\r\nEnterSendMsg=1\r\n", SimulatorPort());
    EXPECT_EQ(program_->BuiltKeyerWindow(), nullptr);
    program_->main.StartTimerTick();
    ASSERT_TRUE(program_->keyer.PortOpen());
    keyer::TfWK* wk = program_->BuiltKeyerWindow();
    ASSERT_NE(wk, nullptr);
    EXPECT_FALSE(wk->isVisible());
    // The opening it was built in, and the filling that followed.
    EXPECT_EQ(wk->BOpenCom->text(), "Close Com");
    EXPECT_EQ(wk->LCCom->text(), sim_.PortPath());
    EXPECT_TRUE(wk->LCCom->font().bold());
    EXPECT_TRUE(wk->CBESM->isChecked());
    // The keyer's later reports reach it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return wk->LInfo->text() == "Winkeyer 2 - Open"; }, 3000));
    program_->keyer.CloseKeyer();
    EXPECT_EQ(wk->BOpenCom->text(), "Open Com");
}

// "Auto Winkeyer" at start with the keyer missing: no box, the main window's
// mark carries the reason, and the window built later shows it too.
TEST_F(ProgramTest, AFailedAutomaticConnectionIsExplainedWithoutABox) {
    Start("[WK]\r\nComAuto=1\r\nComConnected=1\r\n",
          "[ComPort]\r\nPort=" + dir_.File("ttyUSB7").toUtf8() + "\r\n");
    program_->main.StartTimerTick();
    EXPECT_FALSE(program_->keyer.PortOpen());
    EXPECT_TRUE(dialogs_.records.isEmpty());
    QPushButton* mark = program_->main.BKeyerOffline;
    EXPECT_FALSE(mark->isHidden());
    EXPECT_EQ(mark->toolTip(), keyer::OpenFailureText(dir_.File("ttyUSB7"), ENOENT));
    QTest::mouseClick(mark, Qt::LeftButton);
    keyer::TfWK* wk = program_->BuiltKeyerWindow();
    ASSERT_NE(wk, nullptr);
    EXPECT_TRUE(wk->isVisible());
    EXPECT_EQ(wk->LStatus->text(), mark->toolTip());
}

}  // namespace
}  // namespace corvatta
