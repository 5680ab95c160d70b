// The keyer options window against the WinKeyer simulator on a pty: the
// open sequence, what the keyer's reports do, messages, the option
// controls, and losing the adapter.
#include "keyer/keyer_window.h"
#include "keyer/winkeyer_protocol.h"
#include "platform/colors.h"
#include "tests/keyer/fake_main_window_link.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_bytes.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace corvatta::keyer {
namespace {

using testing_support::WinKeyerSimulator;

using testing_support::Bytes;

void NoWait(int) {}

// Retries of a lost link come this often here instead of every two seconds.
constexpr int kFastReconnectMs = 200;

class KeyerWindowTest : public ::testing::Test {
  protected:
    KeyerWindowTest() {
        auto& k = state.keyer;
        k.Speed = 25;
        k.SpeedUp = 5;
        k.SpeedStep = 1;
        k.SpeedMode = 1;
        k.SpeedMin = 10;
        k.SpeedMax = 46;
        k.HangTime = 1;
        k.Sidetone = 4;
        k.RunMode = true;
        state.op.MyCall = QStringLiteral("S59ABC");
        state.op.MyYearLic = QStringLiteral("09");
        state.op.Mode = QStringLiteral("CW");
    }

    // The window wired to the entry line's sequence as the program wires it.
    // The keyer's start-up waits are skipped unless a test asks for them.
    void MakeWindow(KeyerWait wait = NoWait) {
        wk = std::make_unique<TfWK>(state, link, std::move(wait));
        QObject::connect(wk.get(), &TfWK::exchangeStarted,
                         [this] { state.entry.EntryState = EntryStep::ExchangeSent; });
        QObject::connect(wk.get(), &TfWK::entrySequenceReset,
                         [this] { state.entry.EntryState = EntryStep::Idle; });
    }

    // Opens the link to `sim` and waits until the keyer has answered.
    void OpenTo(WinKeyerSimulator& sim) {
        if (!wk) {
            MakeWindow();
        }
        sim.SetTimeScale(0);  // these tests do not measure keying time
        wk->ComPort->SetPort(sim.PortPath());
        wk->OpenKeyer();
        ASSERT_TRUE(wk->ComPort->Connected());
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 3000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return wk->LInfo1->text() == QLatin1String("WKConnected"); }, 3000));
        // The sidetone byte closes the start sequence.
        ASSERT_TRUE(sim.WaitForReceived(SidetoneCommand(SidetoneByte(false, 4))));
    }

    // The status line's background.
    QColor StatusColor() const { return wk->LStatus->palette().color(QPalette::Window); }

    // What the window sent since the last ClearReceived, once it has handled every byte the
    // keyer sent before (a 'Z' behind them is shown) and the keyer has read every byte the
    // window wrote before (a no-op behind them has arrived): so a test sees that nothing more
    // was sent without waiting for a time.
    QByteArray SentAfterRoundTrip(WinKeyerSimulator& sim) {
        link.transmitted.clear();
        sim.SendRaw("Z");
        EXPECT_TRUE(QTest::qWaitFor([&] { return link.transmitted.endsWith(u'Z'); }, 2000));
        const QByteArray marker(1, static_cast<char>(testing_support::winkeyer::kBufferedNop));
        wk->ComPort->SendText(marker);
        EXPECT_TRUE(sim.WaitForReceived(marker));
        QByteArray sent = sim.ReceivedBytes();
        sent.chop(marker.size());
        return sent;
    }
    // Waits until the window has handled every byte the keyer sent so far.
    void HandledSoFar(WinKeyerSimulator& sim) {
        link.transmitted.clear();
        sim.SendRaw("Z");
        EXPECT_TRUE(QTest::qWaitFor([&] { return link.transmitted.endsWith(u'Z'); }, 2000));
    }

    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    StationState state;
    FakeMainWindowLink link;
    std::unique_ptr<TfWK> wk;
};

TEST_F(KeyerWindowTest, OpenSequenceBytesOrderAndWaits) {
    WinKeyerSimulator sim;
    MakeWindow(SleepOnUiThread);  // the program's real waits, end to end
    wk->ComPort->SetPort(sim.PortPath());
    const auto before = WinKeyerSimulator::Clock::now();
    OpenTo(sim);

    const QByteArray start = HostOpenCommand() + EchoTestCommand() + Bytes({0x02, 25}) +
                             Bytes({0x0E, 0x94}) + Bytes({0x01, 0x05});
    EXPECT_TRUE(sim.ReceivedBytes().startsWith(start)) << sim.ReceivedBytes().toHex(' ').data();
    const auto rec = sim.Received();
    ASSERT_GE(rec.size(), 7u);
    using std::chrono::milliseconds;
    EXPECT_GE(rec[0].at - before, milliseconds(95));
    EXPECT_GE(rec[2].at - rec[1].at, milliseconds(480));  // host open .. echo test
    EXPECT_GE(rec[5].at - rec[4].at, milliseconds(190));  // echo test .. speed

    EXPECT_TRUE(state.keyer.ComConnected);
    EXPECT_EQ(wk->BOpenCom->text(), QStringLiteral("Close Com"));
    EXPECT_EQ(wk->LCCom->text(), sim.PortPath());
    EXPECT_TRUE(wk->LCCom->font().bold());
    EXPECT_EQ(wk->LBCom->text(), QStringLiteral("1200"));
    EXPECT_EQ(wk->LInfo->text(), QStringLiteral("Winkeyer 2 - Open"));
    EXPECT_EQ(state.flags.KeyerVersion, 2);
    EXPECT_EQ(link.keyerFieldColor, colors::ColorReady);
    EXPECT_EQ(link.modeColor, colors::ColorReady);
}

TEST_F(KeyerWindowTest, VersionOnlyOnceAndAgainAfterReopen) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    wk->LInfo->clear();
    sim.SendRaw(Bytes({23}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return wk->ECommand->text().contains(QChar(23)); }, 2000));
    EXPECT_TRUE(wk->LInfo->text().isEmpty());
    EXPECT_EQ(state.flags.KeyerVersion, 2);

    wk->CloseKeyer();
    EXPECT_TRUE(sim.WaitForReceived(HostCloseCommand()));
    EXPECT_FALSE(wk->ComPort->Connected());
    EXPECT_FALSE(state.keyer.ComConnected);
    EXPECT_FALSE(state.flags.KeyerReady);
    EXPECT_EQ(state.flags.KeyerVersion, 0);
    EXPECT_TRUE(wk->LInfo->text().isEmpty());
    EXPECT_TRUE(wk->LInfo1->text().isEmpty());
    EXPECT_EQ(wk->BOpenCom->text(), QStringLiteral("Open Com"));
    EXPECT_FALSE(wk->LCCom->font().bold());
    EXPECT_EQ(link.modeColor, colors::ColorPlain);
    EXPECT_EQ(link.keyerFieldColor, colors::ColorBusy);

    sim.ClearReceived();
    OpenTo(sim);
    EXPECT_EQ(wk->LInfo->text(), QStringLiteral("Winkeyer 2 - Open"));
}

TEST_F(KeyerWindowTest, NoKeyerAttachedStillGetsReady) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    MakeWindow();
    wk->ComPort->SetPort(QString::fromLocal8Bit(name));
    const QString infoBefore = wk->LInfo->text();
    wk->OpenKeyer();
    ASSERT_TRUE(wk->ComPort->Connected());
    EXPECT_FALSE(state.flags.KeyerReady);
    EXPECT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 1000));
    EXPECT_EQ(state.flags.KeyerVersion, 0);
    EXPECT_EQ(wk->LInfo->text(), infoBefore);
    EXPECT_TRUE(wk->LInfo1->text().isEmpty());
    wk->CloseKeyer();
    ::close(slave);
    ::close(master);
}

TEST_F(KeyerWindowTest, OpeningAMissingPortChangesNothing) {
    MakeWindow();
    wk->ComPort->SetPort(dir.File("no-such-port"));
    wk->OpenKeyer();
    EXPECT_FALSE(wk->ComPort->Connected());
    EXPECT_FALSE(state.keyer.ComConnected);
    EXPECT_EQ(wk->BOpenCom->text(), QStringLiteral("Open Com"));
    EXPECT_TRUE(dialogs.records.isEmpty());
}

TEST_F(KeyerWindowTest, SpeedPotReports) {
    WinKeyerSimulator sim;
    state.keyer.SpeedMode = 2;
    OpenTo(sim);
    for (const auto& [byte, want] :
         std::vector<std::pair<int, int>>{{128, 10}, {129, 11}, {189, 71}, {190, 71}}) {
        sim.SendRaw(Bytes({byte, 'Z'}));  // Z marks that the byte has been handled
        ASSERT_TRUE(QTest::qWaitFor([&] { return link.transmitted.endsWith(u'Z'); }, 2000));
        link.transmitted.clear();
        EXPECT_EQ(state.flags.PaddleSpeed, want) << byte;
        EXPECT_EQ(wk->LSpeedPaddle->text(), QString::number(want)) << byte;
    }
    // With the pot in use the PC speed follows it.
    EXPECT_EQ(state.keyer.Speed, 71);
    EXPECT_EQ(link.speed, 71);
}

TEST_F(KeyerWindowTest, PaddleBeforeAnyPotReportSendsTenWpm) {
    WinKeyerSimulator sim;
    state.keyer.SpeedMode = 0;
    OpenTo(sim);
    sim.ClearReceived();
    sim.SendPaddleStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.PaddleActive; }, 2000));
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x02, 0x0A})));
    EXPECT_EQ(wk->LPad->text(), QStringLiteral("Pad"));
    EXPECT_EQ(link.modeColor, colors::ColorBusy);
}

TEST_F(KeyerWindowTest, IdleWithoutPendingExchangeOnlyResets) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    state.flags.Transmitting = true;
    state.flags.TuneOn = true;
    state.flags.LastMessageKey = QStringLiteral("F1");
    state.entry.EntryState = EntryStep::Idle;
    sim.ClearReceived();
    sim.SendRaw(Bytes({kStatusIdle}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.flags.Transmitting; }, 2000));
    EXPECT_FALSE(state.flags.TuneOn);
    EXPECT_TRUE(state.flags.LastMessageKey.isEmpty());
    EXPECT_EQ(link.modeColor, colors::ColorReady);
    EXPECT_GT(link.caretMoves, 0);
    EXPECT_TRUE(SentAfterRoundTrip(sim).isEmpty());
    EXPECT_EQ(state.entry.EntryState, EntryStep::Idle);
}

TEST_F(KeyerWindowTest, IdleWithPendingExchangeSendsItExactlyOnce) {
    WinKeyerSimulator sim;
    state.messages.Run[1] = QStringLiteral("E");
    state.messages.SP[1] = QStringLiteral("I");
    OpenTo(sim);
    QSignalSpy started(wk.get(), &TfWK::exchangeStarted);

    link.entry = QStringLiteral("S50A");
    state.flags.ExchangePending = true;
    sim.ClearReceived();
    sim.SendRaw(Bytes({kStatusIdle}));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state.entry.EntryState == EntryStep::ExchangeSent; }, 2000));
    EXPECT_FALSE(state.flags.ExchangePending);
    EXPECT_EQ(link.messageKey, QStringLiteral("F2"));
    EXPECT_EQ(link.entry, QStringLiteral("S50A "));
    ASSERT_TRUE(sim.WaitForReceived(" E "));
    ASSERT_TRUE(sim.WaitForIdle());
    EXPECT_EQ(SentAfterRoundTrip(sim), QByteArray(" E "));  // the keyer's idle sends no more
    EXPECT_EQ(started.count(), 1);

    // In S/P the S/P set's exchange goes; an entry with a space keeps it.
    state.keyer.RunMode = false;
    state.entry.EntryState = EntryStep::Idle;
    link.entry = QStringLiteral("S50A 59");
    state.flags.ExchangePending = true;
    sim.ClearReceived();
    sim.SendRaw(Bytes({kStatusIdle}));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state.entry.EntryState == EntryStep::ExchangeSent; }, 2000));
    ASSERT_TRUE(sim.WaitForReceived(" I "));
    ASSERT_TRUE(sim.WaitForIdle());
    EXPECT_EQ(SentAfterRoundTrip(sim), QByteArray(" I "));
    EXPECT_EQ(link.entry, QStringLiteral("S50A 59"));
    EXPECT_EQ(started.count(), 2);
}

TEST_F(KeyerWindowTest, KeyDownAsciAndPlusOnTheCommandLine) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    wk->ECommand->clear();
    link.transmitted.clear();
    sim.SendRaw(QByteArray("AB+C"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.transmitted.endsWith(u'C'); }, 2000));
    EXPECT_EQ(link.transmitted, QStringLiteral("AB+C"));
    EXPECT_EQ(wk->ECommand->text(), QStringLiteral("C"));

    sim.SendRaw(Bytes({kStatusKeyDown}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.TuneOn; }, 2000));
    EXPECT_EQ(wk->LTun->text(), QStringLiteral("TUNE"));

    wk->cASCI->setChecked(true);
    EXPECT_TRUE(state.view.VisibleASCI);
    wk->ECommand->clear();
    sim.SendRaw(Bytes({'A', kStatusIdle}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.flags.TuneOn; }, 2000));
    EXPECT_EQ(wk->ECommand->text(), QStringLiteral(" 65 192"));
    // 216 is shown as its character too; numbers stay in the window.
    EXPECT_EQ(link.transmitted, QStringLiteral("AB+C") + ReceivedCharacter(kStatusKeyDown));
}

TEST_F(KeyerWindowTest, LongCommandLineIsCleared) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    wk->ECommand->setText(QString(126, u'x'));
    sim.SendRaw(QByteArray("K"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.transmitted.endsWith(u'K'); }, 2000));
    EXPECT_EQ(wk->ECommand->text(), QStringLiteral("K"));
}

TEST_F(KeyerWindowTest, MessageButtonsAndEmptyText) {
    WinKeyerSimulator sim;
    state.messages.Run[0] = QStringLiteral("CQ *");
    state.messages.Run[2] = QString();
    state.messages.Run[1] = QStringLiteral("5NN #");
    state.shortChars.LicCheck = true;
    state.shortChars.Short0T = true;
    state.shortChars.Short9N = true;
    OpenTo(sim);
    sim.ClearReceived();
    wk->BF[0]->click();
    EXPECT_EQ(state.flags.LastMessageKey, QStringLiteral("F1"));
    EXPECT_EQ(link.modeColor, colors::ColorBusy);
    wk->BF[2]->click();
    wk->BF[1]->click();
    EXPECT_TRUE(sim.WaitForReceived(QByteArray("CQ S59ABC ? 5NN TN ")));
}

TEST_F(KeyerWindowTest, UnwrittenMessageLeavesTheCallersFlags) {
    MakeWindow();
    wk->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 1000));
    // The entry line marks the keyer busy before it sends; the port is shut.
    state.flags.Transmitting = true;
    EXPECT_FALSE(wk->SendCwMessage(QStringLiteral("TEST")));
    EXPECT_NE(link.modeColor, colors::ColorBusy);
    EXPECT_FALSE(wk->SendToKeyer(QByteArray("S50A")));
    EXPECT_TRUE(dialogs.records.isEmpty());

    // A ready-gated command with the port shut reports the component's error
    // and changes nothing.
    wk->BTune->click();
    EXPECT_FALSE(state.flags.TuneOn);
    EXPECT_EQ(wk->BTune->text(), QStringLiteral("TUNE"));
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")).size(), 1);
}

TEST_F(KeyerWindowTest, TimingEdits) {
    state.keyer.Ratio = QStringLiteral("50");
    MakeWindow();
    wk->show();
    wk->ELead->clear();
    QTest::keyClicks(wk->ELead, QStringLiteral("300"));
    EXPECT_EQ(wk->ELead->text(), QStringLiteral("250"));
    EXPECT_EQ(state.keyer.Lead, QStringLiteral("250"));
    QTest::keyClicks(wk->ELead, QStringLiteral("a-"));  // only digits pass
    EXPECT_EQ(wk->ELead->text(), QStringLiteral("250"));

    wk->ERatio->setText(QStringLiteral("0"));
    EXPECT_EQ(state.keyer.Ratio, QStringLiteral("50"));
    wk->ERatio->setText(QStringLiteral("99"));
    EXPECT_EQ(wk->ERatio->text(), QStringLiteral("67"));
    EXPECT_EQ(state.keyer.Ratio, QStringLiteral("67"));
    wk->EKeyComp->setText(QStringLiteral("16"));
    EXPECT_EQ(state.keyer.KeyComp, QStringLiteral("15"));

    // A pasted text that is no number is reported and not stored.
    wk->ETail->setText(QStringLiteral("1x"));
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
              QStringList{QStringLiteral("'1x' is not a valid integer value")});
    EXPECT_EQ(state.keyer.Tail, QStringLiteral("0"));
}

TEST_F(KeyerWindowTest, UseSpeedPotWithThePortClosed) {
    MakeWindow();
    wk->show();
    wk->SM3->click();
    EXPECT_EQ(state.keyer.SpeedMode, 2);
    EXPECT_EQ(state.keyer.Speed, 10);
    EXPECT_FALSE(wk->EdSpeed->isEnabled());
    EXPECT_EQ(wk->EdSpeed->value(), 10);
    EXPECT_EQ(link.speed, 10);
    EXPECT_TRUE(dialogs.records.isEmpty());
    wk->SM1->click();
    EXPECT_EQ(state.keyer.SpeedMode, 0);
    EXPECT_TRUE(wk->EdSpeed->isEnabled());
}

TEST_F(KeyerWindowTest, PageKeysStepTheSpeed) {
    WinKeyerSimulator sim;
    state.keyer.Speed = 49;
    state.keyer.SpeedStep = 2;
    OpenTo(sim);
    sim.ClearReceived();
    QTest::keyClick(wk->ECommand, Qt::Key_PageUp);
    EXPECT_EQ(state.keyer.Speed, 51);
    EXPECT_EQ(link.speed, 51);
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x02, 0x33})));
    QTest::keyClick(wk->ECommand, Qt::Key_PageUp);
    EXPECT_EQ(state.keyer.Speed, 51);

    state.keyer.Speed = 11;
    sim.ClearReceived();
    QTest::keyClick(wk->ECommand, Qt::Key_PageDown);
    EXPECT_EQ(state.keyer.Speed, 9);
    EXPECT_EQ(wk->EdSpeed->value(), 9);
    EXPECT_TRUE(SentAfterRoundTrip(sim).isEmpty());

    QTest::keyClick(wk->ECommand, Qt::Key_Escape);
    EXPECT_TRUE(sim.WaitForReceived(ClearBufferCommand()));
}

TEST_F(KeyerWindowTest, FunctionKeysOfTheCommandLine) {
    MakeWindow();
    state.entry.EntryState = EntryStep::ExchangeSent;
    link.messageKey = QStringLiteral("F2");
    QTest::keyClick(wk->ECommand, Qt::Key_F10);
    EXPECT_FALSE(state.keyer.RunMode);
    EXPECT_FALSE(link.run);
    EXPECT_EQ(state.entry.EntryState, EntryStep::Idle);
    EXPECT_TRUE(link.messageKey.isEmpty());

    QTest::keyClick(wk->ECommand, Qt::Key_F11);
    EXPECT_TRUE(state.keyer.EnterSendMsg);
    EXPECT_TRUE(link.esm);
    QTest::keyClick(wk->ECommand, Qt::Key_F11);
    EXPECT_FALSE(state.keyer.EnterSendMsg);

    link.entry = QStringLiteral("S50ABC 5");
    link.transmitted = QStringLiteral("CQ");
    link.autoS5 = true;
    QTest::keyClick(wk->ECommand, Qt::Key_F12);
    EXPECT_EQ(state.flags.LastMessageKey, QStringLiteral("Wipe"));
    EXPECT_EQ(link.entry, QStringLiteral("S5"));
    EXPECT_TRUE(link.transmitted.isEmpty());
    EXPECT_TRUE(link.exchangeCleared);
}

TEST_F(KeyerWindowTest, ShowingFillsTheControls) {
    state.keyer.PaddleMode = 3;
    state.keyer.SpeedStep = 2;
    state.keyer.SpeedMode = 0;
    state.keyer.ComAuto = true;
    state.messages.Visual[8] = QStringLiteral("TU");
    MakeWindow();
    wk->show();
    EXPECT_EQ(wk->windowTitle(), QStringLiteral("Corvattans - WinKeyer Options"));
    EXPECT_EQ(wk->CBPaddleMode->currentText(), QStringLiteral("Bug Mode"));
    EXPECT_TRUE(wk->RB2->isChecked());
    EXPECT_EQ(wk->EdSpeed->singleStep(), 2);
    EXPECT_TRUE(wk->SM1->isChecked());
    EXPECT_TRUE(wk->CBComAutoConnect->isChecked());
    EXPECT_EQ(wk->EdFv[8]->text(), QStringLiteral("TU"));
    EXPECT_EQ(wk->ELead->text(), QStringLiteral("0"));
    EXPECT_EQ(state.keyer.Lead, QStringLiteral("0"));
    // The status line in the band under the port row, on nothing.
    EXPECT_GE(wk->LStatus->y(), wk->BOpenCom->geometry().bottom());
    for (const QWidget* w : wk->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(w == wk->LStatus || !w->geometry().intersects(wk->LStatus->geometry()))
            << w->objectName().toStdString();
    }
    // Typing into a message field stores capitals at once.
    wk->EdF[0]->clear();
    QTest::keyClicks(wk->EdF[0], QStringLiteral("cq test"));
    EXPECT_EQ(state.messages.Run[0], QStringLiteral("CQ TEST"));
}

TEST_F(KeyerWindowTest, OptionsSendTheirBytes) {
    WinKeyerSimulator sim;
    state.keyer.Lead = QStringLiteral("10");
    state.keyer.Tail = QStringLiteral("20");
    state.keyer.FirstCarExt = QStringLiteral("5");
    state.keyer.KeyComp = QStringLiteral("3");
    state.keyer.Ratio = QStringLiteral("55");
    state.keyer.SpeedMin = 12;
    OpenTo(sim);
    sim.ClearReceived();
    wk->BWriteWK->click();
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x04, 10, 20, 0x10, 5, 0x11, 3, 0x17, 55})));

    sim.ClearReceived();
    wk->CBSerialEcho->click();
    wk->CBWordSpace->click();
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x0E, 0x05, 0x0E, 0x04})));

    sim.ClearReceived();
    wk->ESidetone->setCurrentIndex(0);
    emit wk->ESidetone->activated(0);
    wk->CBSidetonePaddle->click();
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x01, 0x01, 0x01, 0x81})));

    sim.ClearReceived();
    wk->ESpeedMax->setText(QStringLiteral("40"));
    wk->BSendSpeedRange->click();
    EXPECT_EQ(state.keyer.SpeedMax, 40);
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x05, 12, 28, 0x00})));
}

TEST_F(KeyerWindowTest, CloseSavesPositionAndPort) {
    WinKeyerSimulator sim;
    MakeWindow();
    wk->ComPort->SetPort(sim.PortPath());
    wk->show();
    wk->move(100, 20);  // fits the offscreen test screen, so it is kept
    wk->BClose->click();
    EXPECT_FALSE(wk->isVisible());
    const QString ini = QString::fromLatin1(dir.Read(QStringLiteral("Corvatta.ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("WKTop=") + QString::number(wk->y())));
    EXPECT_TRUE(ini.contains(QStringLiteral("WKLeft=") + QString::number(wk->x())));

    // A new window opens the keyer named in the file.
    TfWK second(state, link, NoWait);
    EXPECT_EQ(second.ComPort->Port(), sim.PortPath());
    EXPECT_EQ(second.pos(), wk->pos());
    second.OpenKeyer();
    EXPECT_TRUE(second.ComPort->Connected());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return second.LInfo->text() == QLatin1String("Winkeyer 2 - Open"); }, 3000));
    second.CloseKeyer();

    // A save that fails keeps the window open, with the reason shown.
    ASSERT_TRUE(QFile::remove(dir.File(QStringLiteral("Corvatta.ini"))));
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("Corvatta.ini")));
    second.show();
    second.BClose->click();
    EXPECT_TRUE(second.isVisible());
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")).size(), 1);
}

TEST_F(KeyerWindowTest, AStrayXoffFromTheKeyerNeverSilencesMessagesOrEsc) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    // The line takes the XOFF in before the byte behind it, which the window then handles.
    const char xoff = 0x13;
    sim.SendRaw(QByteArray(1, xoff));
    HandledSoFar(sim);
    sim.ClearReceived();
    EXPECT_TRUE(wk->SendCwMessage(QStringLiteral("TEST")));
    EXPECT_TRUE(sim.WaitForReceived("TEST"));
    sim.SendRaw(QByteArray(1, xoff));
    HandledSoFar(sim);
    EXPECT_TRUE(wk->ClearKeyerBuffer());
    EXPECT_TRUE(sim.WaitForReceived(ClearBufferCommand()));
}

TEST_F(KeyerWindowTest, UnplugShowsClosedAndReplugReopens) {
    const QString path = dir.File(QStringLiteral("wk-adapter"));
    auto sim = std::make_unique<WinKeyerSimulator>(path);
    OpenTo(*sim);
    wk->TimerReconnect->setInterval(kFastReconnectMs);
    state.flags.Transmitting = true;
    state.flags.ExchangePending = true;
    state.flags.TuneOn = true;

    sim.reset();  // the adapter is pulled
    ASSERT_TRUE(QTest::qWaitFor([&] { return wk->Reconnecting(); }, 3000));
    const auto& f = state.flags;
    EXPECT_FALSE(wk->ComPort->Connected());
    EXPECT_FALSE(f.KeyerReady);
    EXPECT_EQ(f.KeyerVersion, 0);
    EXPECT_FALSE(f.Transmitting);
    EXPECT_FALSE(f.ExchangePending);
    EXPECT_FALSE(f.TuneOn);
    EXPECT_TRUE(state.keyer.ComConnected);  // still wanted
    EXPECT_EQ(wk->LInfo->text(), kKeyerDisconnectedText);
    EXPECT_TRUE(wk->LInfo1->text().isEmpty());
    EXPECT_EQ(link.modeColor, colors::ColorPlain);
    EXPECT_EQ(link.keyerFieldColor, colors::ColorBusy);
    EXPECT_EQ(wk->LStatus->text(), LostText(path, kReconnectIntervalMs / 1000));
    EXPECT_EQ(StatusColor(), platform::ColorOf(colors::ColorBusy));

    // Tries while unplugged cost nothing and change nothing but the reason.
    QSignalSpy tries(wk->TimerReconnect, &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tries.size() >= 2; }, 3000));
    EXPECT_TRUE(wk->Reconnecting());
    EXPECT_EQ(wk->LStatus->text(),
              OpenFailureText(path, ENOENT) + RetryingSuffix(kReconnectIntervalMs / 1000));

    sim = std::make_unique<WinKeyerSimulator>(path);  // plugged in again
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return wk->LInfo->text() == QLatin1String("Winkeyer 2 - Open"); }, 6000));
    EXPECT_FALSE(wk->Reconnecting());
    EXPECT_TRUE(wk->ComPort->Connected());
    EXPECT_TRUE(sim->ReceivedBytes().startsWith(HostOpenCommand() + EchoTestCommand()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return wk->LStatus->text() == ReadyText(path, 2); }, 2000));
    EXPECT_EQ(StatusColor(), platform::ColorOf(colors::ColorReady));
}

TEST_F(KeyerWindowTest, ClosingStopsTheRetries) {
    const QString path = dir.File(QStringLiteral("wk-adapter"));
    auto sim = std::make_unique<WinKeyerSimulator>(path);
    OpenTo(*sim);
    wk->TimerReconnect->setInterval(kFastReconnectMs);
    sim.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wk->Reconnecting(); }, 3000));
    wk->CloseKeyer();  // as switching to SSB does
    EXPECT_FALSE(wk->Reconnecting());
    EXPECT_EQ(wk->LStatus->text(), ClosedText());
    EXPECT_FALSE(state.keyer.ComConnected);
    EXPECT_EQ(wk->BOpenCom->text(), QStringLiteral("Open Com"));
    sim = std::make_unique<WinKeyerSimulator>(path);
    // Only the retry timer reopens the port; stopped, nothing comes back.
    EXPECT_FALSE(wk->TimerReconnect->isActive());
    QCoreApplication::processEvents();
    EXPECT_FALSE(wk->ComPort->Connected());
    EXPECT_TRUE(sim->ReceivedBytes().isEmpty());
}

}  // namespace
}  // namespace corvatta::keyer
