// Working contacts from the entry line with ESM against a WinKeyer
// simulator on a pseudo-terminal: the bytes the keyer receives, the
// labels, and the log file. The sequence's rules one by one are in
// entry_sequence_test.cpp; these tests see them reach a real keyer.
#include "logger/program.h"
#include "logger/qso_log_model.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using corvatta::EntryStep;
using corvatta::Program;

namespace {

const QDateTime kContestTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC);

class EntryLineTest : public ::testing::Test {
  protected:
    // Settings for a CW contest with ESM on; `extra` adds to [WK].
    void Start(bool run, const QByteArray& extraWk = {}, const QByteArray& extraGeneral = {}) {
        dir_.Write("Corvattaini.ini",
                   "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
                   "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n" +
                       extraGeneral +
                       "[WK]\r\nEnterSendMsg=1\r\nSpeed=60\r\nSpeedMode=1\r\n"
                       "ComConnected=1\r\nRunMode=" +
                       QByteArray(run ? "1" : "0") + "\r\n" + extraWk +
                       "[Memo]\r\nF1=CQ TEST\r\nF2=5NN #\r\nF3=TU\r\nF4=*\r\n");
        dir_.Write("Corvatta.ini",
                   "[ComPort]\r\nPort=" + sim_.PortPath().toUtf8() + "\r\nBaudRate=1200\r\n");
        // Keyed at once: a test that types while the keyer sends asks for real time then.
        sim_.SetTimeScale(0);
        // The keyer's start-up pauses are not what these tests are about.
        program_ = std::make_unique<Program>(state_, clock_, [](int) {});
        program_->main.show();
        program_->main.ClockTimerTick();
        QApplication::setActiveWindow(&program_->main);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&program_->main));
        program_->keyer.OpenKeyer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return state_.flags.KeyerReady; }, 3000));
        ASSERT_TRUE(sim_.WaitForIdle());
        sim_.ClearReceived();
        Call()->setFocus();
    }

    QLineEdit* Call() { return program_->main.ECall; }
    void Type(const char* text) { QTest::keyClicks(Call(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(Call(), key, mods); }
    void Enter() { Key(Qt::Key_Return); }
    // Waits with the event loop running, so the port's reports arrive.
    bool Received(const QByteArray& bytes, int ms = 3000) {
        return QTest::qWaitFor([&] { return sim_.ReceivedBytes().contains(bytes); }, ms);
    }
    bool KeyerIdle(int ms = 5000) {
        return QTest::qWaitFor([&] { return !state_.flags.Transmitting && !sim_.Busy(); }, ms);
    }
    QString LogText() { return platform::DecodeCp1250(dir_.Read("S59XYZ.log")); }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    testing_support::WinKeyerSimulator sim_;
    platform::FixedClock clock_{kContestTime};
    corvatta::StationState state_;
    std::unique_ptr<Program> program_;
};

TEST_F(EntryLineTest, AWholeRunContactWithEnterAlone) {
    Start(true);
    sim_.SetTimeScale(1);  // the key stays shown while the keyer sends
    Enter();               // empty line: CQ
    EXPECT_TRUE(Received("CQ TEST "));
    EXPECT_EQ(state_.flags.LastMessageKey, "F1");
    sim_.SetTimeScale(0);
    ASSERT_TRUE(KeyerIdle());

    sim_.SetTimeScale(1);  // the callsign takes its time, to be typed into
    Type("S59AB");
    Enter();  // the callsign goes out as it stands
    EXPECT_TRUE(Received("S59AB"));
    EXPECT_TRUE(state_.flags.ExchangePending);
    Type("C");  // typed while the callsign is being sent: follows at once
    EXPECT_TRUE(Received("S59ABC"));
    sim_.SetTimeScale(0);
    // The idle report brings the exchange and the caret waits after a space.
    EXPECT_TRUE(Received(" 5NN 75 "));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return state_.entry.EntryState == EntryStep::ExchangeSent; }, 3000));
    EXPECT_EQ(Call()->text(), "S59ABC ");
    ASSERT_TRUE(KeyerIdle());

    Type("85");
    Enter();  // logged, closing message
    EXPECT_TRUE(Received("TU "));
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_TRUE(LogText().contains("S59ABC       599 85\r\n"));
    EXPECT_EQ(state_.entry.EntryState, EntryStep::Idle);  // 2, then 4 in the hand-over, then 0
    EXPECT_FALSE(state_.entry.CallCorrected);
}

TEST_F(EntryLineTest, ACallsignCorrectedWhileItIsSentGoesOutBeforeTheClosingMessage) {
    dir_.Write("Licence.txt", "S59ABC,85\r\n");
    Start(true, {}, "AutoLL=1\r\n");
    program_->main.ClockTimerTick();  // prediction on
    sim_.SetTimeScale(1);             // the callsign takes its time, to be mended meanwhile
    Type("S59ABD");
    Enter();
    ASSERT_TRUE(Received("S59ABD"));
    // A wrong letter mended while the keyer still sends the callsign.
    Key(Qt::Key_Backspace);
    Type("C");
    sim_.SetTimeScale(0);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state_.entry.EntryState == EntryStep::ExchangeSent; }, 4000));
    ASSERT_TRUE(KeyerIdle());
    EXPECT_EQ(program_->main.EditLL->text(), "85");
    sim_.ClearReceived();
    Enter();  // the predicted year completes the contact
    EXPECT_TRUE(Received("S59ABC TU "));
    EXPECT_TRUE(state_.entry.CallCorrected);
    EXPECT_TRUE(LogText().contains("S59ABC       599 85\r\n"));
}

TEST_F(EntryLineTest, AWholeSearchAndPounceContact) {
    Start(false);
    EXPECT_EQ(state_.entry.EntryState, EntryStep::Idle);
    Type("S59ABC");
    Enter();  // calls the station: own callsign, and a space for the year
    EXPECT_TRUE(Received("S59XYZ "));
    EXPECT_EQ(Call()->text(), "S59ABC ");
    EXPECT_EQ(state_.log.QsoCount, 0);
    ASSERT_TRUE(KeyerIdle());
    Type("85");
    Enter();  // exchange and logged
    EXPECT_TRUE(Received("5NN 75 "));
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_EQ(state_.entry.EntryState, EntryStep::Idle);
    EXPECT_TRUE(LogText().contains("S59ABC       599 85\r\n"));
}

TEST_F(EntryLineTest, SpeedKeysFunctionKeysAndEsc) {
    Start(true, "SpeedStep=2\r\n");
    state_.keyer.Speed = 49;
    Key(Qt::Key_PageUp);
    EXPECT_EQ(state_.keyer.Speed, 51);
    EXPECT_TRUE(Received(QByteArray("\x02\x33", 2)));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(state_.keyer.Speed, 51);
    EXPECT_EQ(program_->main.LSpeed->text(), "51");

    Key(Qt::Key_F3);
    EXPECT_TRUE(Received("TU "));
    EXPECT_EQ(program_->main.LMemo->text(), "F3");
    sim_.ClearReceived();
    Key(Qt::Key_Escape);
    EXPECT_TRUE(Received(QByteArray("\x0A", 1)));
    EXPECT_TRUE(program_->main.LMemo->text().isEmpty());

    Key(Qt::Key_F10);  // to S/P
    EXPECT_FALSE(state_.keyer.RunMode);
    EXPECT_EQ(program_->main.LRun->text(), "S/P");
    EXPECT_EQ(program_->MemoWindow().LMemoRun->text(), "S/P");
    const bool esm = state_.keyer.EnterSendMsg;
    Key(Qt::Key_F11);
    EXPECT_NE(state_.keyer.EnterSendMsg, esm);
    EXPECT_EQ(program_->main.LESM->isHidden(), esm);

    Type("S59ABC");
    Key(Qt::Key_F12);  // wipe
    EXPECT_TRUE(Call()->text().isEmpty());
    EXPECT_EQ(state_.flags.LastMessageKey, "Wipe");
    Type("s5,9-a?b/p");  // the character filter
    EXPECT_EQ(Call()->text(), "S59AB/P");
}

TEST_F(EntryLineTest, TuneProfilesAndLeavingAContactHalfway) {
    Start(true);
    dir_.Write("Corvatta.ini",
               "[ComPort]\r\nPort=" + sim_.PortPath().toUtf8() + "\r\n[CALL2]\r\nMyCall=S51QQ\r\n");
    QSignalSpy keyDown(&program_->keyer, &corvatta::keyer::KeyerLink::keyDownReported);
    Key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(Received(QByteArray("\x0B\x01", 2)));
    EXPECT_TRUE(state_.flags.TuneOn);
    // The keyer's key-down report comes back first.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !keyDown.isEmpty(); }, 3000));
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(Received(QByteArray("\x0B\x00", 2)));
    EXPECT_FALSE(state_.flags.TuneOn);
    ASSERT_TRUE(KeyerIdle());

    // Profile keys work only once enabled, and only on an (almost) empty line.
    // A profile is read at once and its log follows on the change timer: neither happened.
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_FALSE(program_->main.TimerChange->isActive());
    EXPECT_EQ(state_.op.MyCall, "S59XYZ");
    state_.ProfileKeysEnabled = true;
    Type("S59");
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_FALSE(program_->main.TimerChange->isActive());
    EXPECT_EQ(state_.op.MyCall, "S59XYZ");
    Call()->clear();
    program_->main.TimerChange->setInterval(10);  // the log follows on this timer, soon
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return state_.op.FileCall == "S51QQ"; }, 1500));
    EXPECT_EQ(program_->main.EMyCall->text(), "S51QQ");

    // In state 1, wiping the line drops the sequence back to its start, and
    // so does F10 in the middle of a contact.
    Type("S59ABC");
    Enter();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state_.entry.EntryState == EntryStep::ExchangeSent; }, 4000));
    Key(Qt::Key_F12);
    EXPECT_EQ(state_.entry.EntryState, EntryStep::Idle);
    ASSERT_TRUE(KeyerIdle());
    Type("S59ABD");
    Enter();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state_.entry.EntryState == EntryStep::ExchangeSent; }, 4000));
    Key(Qt::Key_F10);
    EXPECT_EQ(state_.entry.EntryState, EntryStep::Idle);
    EXPECT_FALSE(state_.keyer.RunMode);
}

TEST_F(EntryLineTest, TheSsbCategoryKnowsOnlyTypingEnterAndEsc) {
    Start(true, {}, "");
    program_->main.EMode->setCurrentIndex(1);
    emit program_->main.EMode->activated(1);  // closes the keyer link
    state_.flags.KeyerReady = false;
    Call()->setFocus();
    const int speed = state_.keyer.Speed;
    Key(Qt::Key_PageUp);
    Key(Qt::Key_F10);
    EXPECT_EQ(state_.keyer.Speed, speed);
    EXPECT_TRUE(state_.keyer.RunMode);
    Type("S59ABC 85");
    Enter();
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_TRUE(LogText().startsWith("QSO:  3500 PH"));
}

// The main window's offline mark: there whenever a CW category has no ready
// keyer, with the keyer window's reason as its tip, and a way to that window.
TEST_F(EntryLineTest, KeyerOfflineMarkFollowsTheLinkAndTheCategory) {
    Start(true);
    QPushButton* mark = program_->main.BKeyerOffline;
    EXPECT_TRUE(QTest::qWaitFor([&] { return mark->isHidden(); }, 3000));
    program_->keyer.CloseKeyer();
    EXPECT_FALSE(mark->isHidden());
    EXPECT_EQ(mark->toolTip(), program_->keyer.StatusText());
    program_->main.EMode->setCurrentIndex(1);  // SSB: no keyer needed
    EXPECT_TRUE(mark->isHidden());
    program_->main.EMode->setCurrentIndex(2);  // MIX
    EXPECT_FALSE(mark->isHidden());
    program_->keyer.OpenKeyer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mark->isHidden(); }, 3000));
    program_->keyer.CloseKeyer();
    QTest::mouseClick(mark, Qt::LeftButton);
    ASSERT_NE(program_->BuiltKeyerWindow(), nullptr);
    EXPECT_TRUE(program_->BuiltKeyerWindow()->isVisible());
}

}  // namespace
