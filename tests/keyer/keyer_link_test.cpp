// The keyer link without its window: the start and close sequences with
// their waits (recorded, not slept), what each received byte does, and the
// commands that depend on the link's state.
#include "keyer/keyer_link.h"
#include "keyer/winkeyer_protocol.h"
#include "tests/keyer/fake_main_window_link.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_bytes.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <unistd.h>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace corvatta::keyer {
namespace {

using testing_support::WinKeyerSimulator;

using testing_support::Bytes;

class KeyerLinkTest : public ::testing::Test {
  protected:
    KeyerLinkTest() {
        auto& k = state.keyer;
        k.Speed = 25;
        k.SpeedMode = 1;
        k.Sidetone = 4;
        k.RunMode = true;
        state.op.Mode = QStringLiteral("CW");
        QObject::connect(&keyer, &KeyerLink::portOpened, [this] { events << "opened"; });
        QObject::connect(&keyer, &KeyerLink::fillControlsDue, [this] { events << "fill"; });
        QObject::connect(&keyer, &KeyerLink::portClosed, [this] { events << "closed"; });
        QObject::connect(&keyer, &KeyerLink::commandLineByte,
                         [this](const QString& shown, bool clears) {
                             commandLine += shown;
                             if (clears) {
                                 commandLine.clear();
                             }
                         });
    }

    // Opens to `sim` and lets the keyer answer until the link is ready.
    void OpenTo(WinKeyerSimulator& sim) {
        sim.SetTimeScale(0);  // these tests do not measure keying time
        keyer.Port()->SetPort(sim.PortPath());
        keyer.OpenKeyer();
        ASSERT_TRUE(keyer.PortOpen());
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 2000));
        ASSERT_TRUE(sim.WaitForReceived(SidetoneCommand(SidetoneByte(false, 4))));
    }

    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    StationState state;
    FakeMainWindowLink main;
    QStringList events;
    QString commandLine;
    std::function<void(int)> onWait;  // runs inside each wait, when set
    KeyerLink keyer{state, main, [this](int ms) {
                        events << QStringLiteral("wait %1").arg(ms);
                        if (onWait) {
                            onWait(ms);
                        }
                    }};
};

TEST_F(KeyerLinkTest, StartSequenceWaitsBetweenItsCommands) {
    WinKeyerSimulator sim;
    // What the keyer has received by the time each wait begins.
    QList<QByteArray> seen;
    onWait = [&](int) {
        if (keyer.PortOpen() && !seen.isEmpty()) {
            sim.WaitForReceived(HostOpenCommand() + (seen.size() > 1 ? EchoTestCommand() : ""));
        }
        seen << sim.ReceivedBytes();
    };
    OpenTo(sim);
    EXPECT_EQ(events, (QStringList{"wait 100", "opened", "wait 500", "wait 200", "fill"}));
    ASSERT_EQ(seen.size(), 3);
    EXPECT_TRUE(seen[0].isEmpty());
    EXPECT_EQ(seen[1], HostOpenCommand());
    EXPECT_EQ(seen[2], HostOpenCommand() + EchoTestCommand());
    EXPECT_TRUE(sim.ReceivedBytes().startsWith(HostOpenCommand() + EchoTestCommand() +
                                               Bytes({0x02, 25, 0x0E, 0x94, 0x01, 0x05})));
    EXPECT_TRUE(state.keyer.ComConnected);
    EXPECT_EQ(state.flags.KeyerVersion, 2);
    EXPECT_EQ(main.keyerFieldColor, colors::ColorReady);
    EXPECT_EQ(main.modeColor, colors::ColorReady);
}

TEST_F(KeyerLinkTest, ComConnectedIsSetOnlyAfterTheFirstWait) {
    WinKeyerSimulator sim;
    QList<bool> connectedAtWait;
    onWait = [&](int) { connectedAtWait << state.keyer.ComConnected; };
    OpenTo(sim);
    EXPECT_EQ(connectedAtWait, (QList<bool>{false, true, true}));
}

TEST_F(KeyerLinkTest, CloseWaitsForTheHostCloseToLeaveAtThePortsRate) {
    // Ten bit times a byte for the two bytes of host close, plus 50 ms.
    for (const auto& [rate, want] : std::vector<std::pair<serial::TBaudRate, QString>>{
             {serial::br1200, "wait 66"}, {serial::br9600, "wait 52"}}) {
        WinKeyerSimulator sim;
        keyer.Port()->SetBaudRate(rate);
        OpenTo(sim);
        events.clear();
        keyer.CloseKeyer();
        EXPECT_EQ(events, (QStringList{want, "closed"})) << int(rate);
        EXPECT_TRUE(sim.WaitForReceived(HostCloseCommand()));
        EXPECT_FALSE(keyer.PortOpen());
        EXPECT_FALSE(state.keyer.ComConnected);
        EXPECT_FALSE(state.flags.KeyerReady);
        EXPECT_EQ(main.modeColor, colors::ColorPlain);
        EXPECT_EQ(main.keyerFieldColor, colors::ColorBusy);
    }
    // Closing a closed link does nothing.
    events.clear();
    keyer.CloseKeyer();
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(KeyerLinkTest, WriteToWinkeyerWaitsAfterEachCommand) {
    WinKeyerSimulator sim;
    auto& k = state.keyer;
    k.Lead = "10";
    k.Tail = "20";
    k.FirstCarExt = "5";
    k.KeyComp = "3";
    k.Ratio = "55";
    OpenTo(sim);
    sim.ClearReceived();
    events.clear();
    keyer.WriteToWinkeyer();
    EXPECT_EQ(events, (QStringList{"wait 100", "wait 100", "wait 100", "wait 100"}));
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x04, 10, 20, 0x10, 5, 0x11, 3, 0x17, 55})));

    // Not ready: nothing is sent and nothing waited for.
    state.flags.KeyerReady = false;
    events.clear();
    keyer.WriteToWinkeyer();
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(KeyerLinkTest, OpeningAMissingPortNeitherWaitsNorChangesAnything) {
    keyer.Port()->SetPort(dir.File("no-such-port"));
    keyer.OpenKeyer();
    EXPECT_FALSE(keyer.PortOpen());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(state.keyer.ComConnected);
    EXPECT_TRUE(dialogs.records.isEmpty());
}

// Real ports that cannot be opened, each with the reason the operator reads;
// none of them opens a box or waits.
TEST_F(KeyerLinkTest, StatusLineSaysWhyThePortDidNotOpen) {
    int master = -1;
    int slave = -1;
    char ptyName[128] = {};
    ASSERT_EQ(openpty(&master, &slave, ptyName, nullptr, nullptr), 0);
    // Another program holds the pty, as a second logger or a terminal would.
    const int holder = ::open(ptyName, O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    dir.Write("not-a-port", "x");
    const QString file = dir.File("not-a-port");
    struct Row {
        QString path;
        int code;
    };
    const Row rows[] = {{dir.File("no-such-port"), ENOENT},
                        {file, ENOTTY},
                        {QString::fromLocal8Bit(ptyName), EWOULDBLOCK}};
    EXPECT_EQ(keyer.State(), LinkState::Closed);
    EXPECT_EQ(keyer.StatusText(), ClosedText());
    for (const Row& r : rows) {
        QSignalSpy changed(&keyer, &KeyerLink::statusChanged);
        keyer.Port()->SetPort(r.path);
        keyer.OpenKeyer();
        EXPECT_FALSE(keyer.PortOpen()) << r.path.toStdString();
        EXPECT_EQ(keyer.State(), LinkState::OpenFailed);
        EXPECT_EQ(keyer.StatusText(), OpenFailureText(r.path, r.code));
        EXPECT_EQ(changed.count(), 1);
    }
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(dialogs.records.isEmpty());
    // Giving up the port that would not open clears the reason.
    keyer.CloseKeyer();
    EXPECT_EQ(keyer.State(), LinkState::Closed);
    ::close(holder);
    ::close(slave);
    ::close(master);
}

TEST_F(KeyerLinkTest, StatusGoesFromOpeningToReadyAndBackToClosed) {
    WinKeyerSimulator sim;
    QList<LinkState> seen;
    QObject::connect(&keyer, &KeyerLink::statusChanged, [&] { seen << keyer.State(); });
    OpenTo(sim);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyer.State() == LinkState::Ready; }, 2000));
    EXPECT_EQ(keyer.StatusText(), ReadyText(sim.PortPath(), 2));
    keyer.CloseKeyer();
    EXPECT_EQ(seen, (QList<LinkState>{LinkState::Opening, LinkState::Ready, LinkState::Closed}));
    EXPECT_EQ(keyer.StatusText(), ClosedText());
    // Nothing arrives later from the answer wait of the closed link: its timer is stopped.
    const auto* answerWait = keyer.findChild<QTimer*>(QStringLiteral("TimerAnswer"));
    ASSERT_NE(answerWait, nullptr);
    EXPECT_FALSE(answerWait->isActive());
    EXPECT_EQ(keyer.State(), LinkState::Closed);
}

TEST_F(KeyerLinkTest, AKeyerThatNeverAnswersIsReportedAfterTheWait) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    keyer.Port()->SetPort(QString::fromLocal8Bit(name));
    auto* answerWait = keyer.findChild<QTimer*>(QStringLiteral("TimerAnswer"));
    ASSERT_NE(answerWait, nullptr);
    // Its length is not what this test is about; the ready timer (kReadTimerMs) comes first.
    answerWait->setInterval(3 * kReadTimerMs);
    keyer.OpenKeyer();
    ASSERT_TRUE(keyer.PortOpen());
    EXPECT_EQ(keyer.State(), LinkState::Opening);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyer.State() == LinkState::NoAnswer; }, 3000));
    EXPECT_EQ(keyer.StatusText(), NoAnswerText(QString::fromLocal8Bit(name)));
    // The ready flag keeps its old meaning: set by the timer all the same.
    EXPECT_TRUE(state.flags.KeyerReady);
    keyer.CloseKeyer();
    ::close(slave);
    ::close(master);
}

// Each received byte on a closed port (nothing is written back), with the
// state it leaves.
TEST_F(KeyerLinkTest, ReceivedBytesTable) {
    struct Row {
        int byte;
        QString commandLine;  // what the command line shows after it
        QString transmitted;  // what the main window's LTransmit shows
    };
    const Row rows[] = {
        {'A', "A", "A"},
        {'+', "", "+"},
        {0, "", ""},
        {13, "", ""},
        {7, "\a", "\a"},
        {100, "", ""},
        {192, "", ""},
        {196, "", ""},
        {198, "", ""},
        {216, "\u0158", "\u0158"},
        {200, "\u010c", "\u010c"},
    };
    for (const Row& r : rows) {
        commandLine.clear();
        main.transmitted.clear();
        keyer.HandleReceivedByte(static_cast<std::uint8_t>(r.byte));
        EXPECT_EQ(commandLine, r.commandLine) << r.byte;
        EXPECT_EQ(main.transmitted, r.transmitted) << r.byte;
    }
    // With "ASCI" every byte shows as its number, in the window only.
    state.view.VisibleASCI = true;
    commandLine.clear();
    main.transmitted.clear();
    for (const int b : {65, 192, 43}) {
        keyer.HandleReceivedByte(static_cast<std::uint8_t>(b));
    }
    EXPECT_EQ(commandLine, QStringLiteral(" 65 192 43"));
    EXPECT_TRUE(main.transmitted.isEmpty());
}

TEST_F(KeyerLinkTest, StatusReportsSetTheFlags) {
    auto& f = state.flags;
    QSignalSpy busy(&keyer, &KeyerLink::busyReported);
    QSignalSpy idle(&keyer, &KeyerLink::idleReported);
    QSignalSpy paddle(&keyer, &KeyerLink::paddleReported);
    QSignalSpy keyDown(&keyer, &KeyerLink::keyDownReported);

    keyer.HandleReceivedByte(kStatusPaddle);
    EXPECT_TRUE(f.PaddleActive);
    EXPECT_EQ(main.modeColor, colors::ColorBusy);
    keyer.HandleReceivedByte(kStatusBusy);
    EXPECT_TRUE(f.Transmitting);
    EXPECT_FALSE(f.PaddleActive);
    keyer.HandleReceivedByte(kStatusKeyDown);
    EXPECT_TRUE(f.TuneOn);
    f.LastMessageKey = QStringLiteral("F3");
    keyer.HandleReceivedByte(kStatusIdle);
    EXPECT_FALSE(f.Transmitting);
    EXPECT_FALSE(f.TuneOn);
    EXPECT_TRUE(f.LastMessageKey.isEmpty());
    EXPECT_EQ(main.modeColor, colors::ColorReady);
    EXPECT_EQ(main.caretMoves, 1);
    EXPECT_EQ(std::make_tuple(busy.count(), idle.count(), paddle.count(), keyDown.count()),
              std::make_tuple(1, 1, 1, 1));
}

TEST_F(KeyerLinkTest, VersionOnlyUntilKnownAndEchoStartsTheReadyTimer) {
    QSignalSpy version(&keyer, &KeyerLink::versionReported);
    for (const int b : {10, 23, 31}) {
        keyer.HandleReceivedByte(static_cast<std::uint8_t>(b));
    }
    ASSERT_EQ(version.count(), 1);
    EXPECT_EQ(version.at(0).at(0).toInt(), 1);
    EXPECT_EQ(state.flags.KeyerVersion, 1);

    EXPECT_FALSE(keyer.ReadTimer()->isActive());
    keyer.HandleReceivedByte(7);
    EXPECT_TRUE(keyer.ReadTimer()->isActive());
    EXPECT_EQ(main.modeColor, colors::ColorReady);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 1000));
    EXPECT_FALSE(keyer.ReadTimer()->isActive());
    EXPECT_EQ(state.keyer.R01, 0x05);
}

TEST_F(KeyerLinkTest, SpeedPotReportsTable) {
    for (const int mode : {0, 1, 2}) {
        for (const auto& [byte, wpm] :
             std::vector<std::pair<int, int>>{{129, 11}, {150, 32}, {189, 71}}) {
            state.keyer.SpeedMode = mode;
            state.keyer.Speed = 25;
            main.speed = -1;
            keyer.HandleReceivedByte(static_cast<std::uint8_t>(byte));
            EXPECT_EQ(state.flags.PaddleSpeed, wpm);
            EXPECT_EQ(main.paddleSpeed, wpm);
            // Only with the pot in charge does the PC speed follow it.
            EXPECT_EQ(state.keyer.Speed, mode == 2 ? wpm : 25) << mode << " " << byte;
            EXPECT_EQ(main.speed, mode == 2 ? wpm : -1) << mode << " " << byte;
        }
    }
    // 128 and 190 are no pot reports.
    keyer.HandleReceivedByte(128);
    keyer.HandleReceivedByte(190);
    EXPECT_EQ(state.flags.PaddleSpeed, 71);
}

TEST_F(KeyerLinkTest, IdleWithTheExchangeDueButThePortClosedKeepsItDue) {
    QSignalSpy started(&keyer, &KeyerLink::exchangeStarted);
    state.flags.ExchangePending = true;
    main.entry = QStringLiteral("S50A");
    keyer.HandleReceivedByte(kStatusIdle);
    EXPECT_TRUE(state.flags.ExchangePending);
    EXPECT_EQ(main.entry, QStringLiteral("S50A"));
    EXPECT_EQ(started.count(), 0);
}

TEST_F(KeyerLinkTest, CommandsThatNeedAnOpenOrReadyLink) {
    EXPECT_FALSE(keyer.SendCwMessage(QStringLiteral("TEST")));
    EXPECT_FALSE(keyer.SendIfOpen(QByteArray("S50A")));
    EXPECT_FALSE(keyer.ClearKeyerBuffer());
    EXPECT_FALSE(keyer.ToggleTune().has_value());
    EXPECT_FALSE(keyer.PcSpeedChanged(30));
    EXPECT_EQ(state.keyer.Speed, 25);
    // The pot takes over the speed even with the port closed.
    keyer.UseSpeedPot();
    EXPECT_EQ(state.keyer.SpeedMode, 2);
    EXPECT_EQ(state.keyer.Speed, 10);
    EXPECT_TRUE(dialogs.records.isEmpty());

    // Ready but closed: the component's error is passed on, not shown here.
    QSignalSpy failed(&keyer, &KeyerLink::failed);
    state.flags.KeyerReady = true;
    EXPECT_FALSE(keyer.ToggleTune().has_value());
    EXPECT_FALSE(state.flags.TuneOn);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(dialogs.records.isEmpty());
}

TEST_F(KeyerLinkTest, SpeedControlAndTuneOnAnOpenLink) {
    WinKeyerSimulator sim;
    OpenTo(sim);
    sim.ClearReceived();
    EXPECT_TRUE(keyer.PcSpeedChanged(9));  // shown, but too slow to send
    EXPECT_EQ(state.keyer.Speed, 25);
    EXPECT_TRUE(keyer.PcSpeedChanged(30));
    EXPECT_EQ(state.keyer.Speed, 30);
    EXPECT_EQ(main.speed, 30);
    EXPECT_EQ(keyer.ToggleTune(), std::optional<bool>(true));
    EXPECT_EQ(main.modeColor, colors::ColorBusy);
    EXPECT_EQ(keyer.ToggleTune(), std::optional<bool>(false));
    EXPECT_TRUE(sim.WaitForReceived(Bytes({0x02, 30, 0x0B, 0x01, 0x0B, 0x00})));
    EXPECT_EQ(sim.ReceivedBytes(), Bytes({0x02, 30, 0x0B, 0x01, 0x0B, 0x00}));
}

}  // namespace
}  // namespace corvatta::keyer
