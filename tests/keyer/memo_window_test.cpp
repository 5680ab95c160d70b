// The memo window: placement, what it shows, and its tune button.
#include "keyer/memo_window.h"
#include "keyer/keyer_window.h"
#include "keyer/winkeyer_protocol.h"
#include "tests/keyer/fake_main_window_link.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <gtest/gtest.h>
#include <QTest>

namespace corvatta::keyer {
namespace {

class MemoWindowTest : public ::testing::Test {
  protected:
    MemoWindowTest() {
        state.keyer.Speed = 25;
        state.keyer.SpeedMode = 1;
        state.keyer.SpeedStep = 1;
        state.keyer.HangTime = 1;
        state.keyer.RunMode = true;
        wk.SetMemoWindow(&memo);
    }

    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    StationState state;
    FakeMainWindowLink link;
    TfWK wk{state, link, [](int) {}};  // no start-up waits
    TfMemo memo{state, link, wk.Link()};
};

TEST_F(MemoWindowTest, SitsAgainstTheMainWindow) {
    EXPECT_EQ(memo.geometry(), QRect(100 + 466, 50 + 198, 145, 338));
    memo.move(10, 10);
    QTest::mouseDClick(&memo, Qt::LeftButton);
    EXPECT_EQ(memo.geometry(), QRect(566, 248, 145, 340));
    EXPECT_TRUE(memo.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(MemoWindowTest, ShowCopiesVisualTextsAndStates) {
    state.messages.Visual[0] = QStringLiteral("CQ");
    state.messages.Visual[4] = QStringLiteral("HIS CALL");
    state.keyer.EnterSendMsg = true;
    memo.show();
    EXPECT_EQ(memo.EF[0]->text(), QStringLiteral("CQ"));
    EXPECT_EQ(memo.EF[4]->text(), QStringLiteral("HIS CALL"));
    EXPECT_TRUE(memo.EF[4]->isReadOnly());
    EXPECT_FALSE(memo.LMemoESM->isHidden());
    // Run mode on leaves the design text.
    EXPECT_EQ(memo.LMemoRun->text(), QStringLiteral("Run"));
    QTest::keyClick(wk.ECommand, Qt::Key_F10);
    EXPECT_EQ(memo.LMemoRun->text(), QStringLiteral("S/P"));
    QTest::keyClick(wk.ECommand, Qt::Key_F10);
    EXPECT_EQ(memo.LMemoRun->text(), QStringLiteral("RUN"));
    // A Visual text changed later shows only at the next show.
    state.messages.Visual[0] = QStringLiteral("TEST");
    EXPECT_EQ(memo.EF[0]->text(), QStringLiteral("CQ"));
    // The focus goes back to the entry line.
    EXPECT_TRUE(QTest::qWaitFor([&] { return link.entryFocus > 0; }, 1000));
}

TEST_F(MemoWindowTest, ShowWithRunOffReadsSP) {
    state.keyer.RunMode = false;
    memo.show();
    EXPECT_EQ(memo.LMemoRun->text(), QStringLiteral("S/P"));
    EXPECT_TRUE(memo.LMemoESM->isHidden());
}

TEST_F(MemoWindowTest, FormMemoBoxShowsAndCloses) {
    wk.cMemo->setChecked(true);
    EXPECT_TRUE(state.view.VisibleMemo);
    EXPECT_TRUE(memo.isVisible());
    wk.cMemo->setChecked(false);
    EXPECT_FALSE(state.view.VisibleMemo);
    EXPECT_FALSE(memo.isVisible());
    wk.cMemo->setChecked(true);
    EXPECT_TRUE(memo.isVisible());
    EXPECT_EQ(memo.pos(), QPoint(566, 248));
}

TEST_F(MemoWindowTest, TuneNeedsAReadyKeyer) {
    memo.BTune->click();
    EXPECT_EQ(memo.BTune->text(), QStringLiteral("TUNE"));
    EXPECT_FALSE(state.flags.TuneOn);
    EXPECT_TRUE(dialogs.records.isEmpty());
}

TEST_F(MemoWindowTest, IdleClearsTuneButNotTheCaption) {
    testing_support::WinKeyerSimulator sim;
    wk.ComPort->SetPort(sim.PortPath());
    wk.OpenKeyer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 3000));
    sim.ClearReceived();
    memo.BTune->click();
    EXPECT_EQ(memo.BTune->text(), QStringLiteral("TUNE ON"));
    EXPECT_TRUE(state.flags.TuneOn);
    EXPECT_EQ(link.modeColor, colors::ColorBusy);
    ASSERT_TRUE(sim.WaitForReceived(KeyDownCommand(true)));

    sim.SendRaw(QByteArray(1, static_cast<char>(kStatusIdle)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.flags.TuneOn; }, 2000));
    EXPECT_EQ(memo.BTune->text(), QStringLiteral("TUNE ON"));
    sim.ClearReceived();
    memo.BTune->click();  // sends key down again
    EXPECT_TRUE(sim.WaitForReceived(KeyDownCommand(true)));
    memo.BTune->click();
    EXPECT_TRUE(sim.WaitForReceived(KeyDownCommand(false)));
    EXPECT_EQ(memo.BTune->text(), QStringLiteral("TUNE"));
    wk.CloseKeyer();
}

}  // namespace
}  // namespace corvatta::keyer
