// The WinKeyer simulator, as far as the keyer tests rely on it, driven through the port
// component as the keyer drives a real one.
#include "tests/support/winkeyer/winkeyer_simulator.h"
#include "serial/com_port.h"
#include "tests/support/test_bytes.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

using namespace serial;
using namespace testing_support::winkeyer;
using testing_support::WinKeyerSimulator;

namespace {

using testing_support::Bytes;

class WinKeyerSimulatorTest : public ::testing::Test {
  protected:
    WinKeyerSimulator keyer;
    TComPort port;
    QByteArray replies;

    void SetUp() override {
        port.SetPort(keyer.PortPath());
        port.SetBaudRate(br1200);
        QObject::connect(&port, &TCustomComPort::OnRxChar, &port,
                         [this](int n) { replies += port.ReceiveText(n); });
        port.Open();
    }
    // A keyer takes only admin commands until the host opens it.
    void OpenHost() {
        port.SendText(Bytes({kAdmin, kAdminHostOpen}));
        ASSERT_TRUE(RepliesEndWith(Bytes({kDefaultVersion})));
        replies.clear();
    }
    // Waits, running the event loop, until the replies end with `tail`.
    bool RepliesEndWith(const QByteArray& tail, int timeoutMs = 3000) {
        return QTest::qWaitFor([&] { return replies.endsWith(tail); }, timeoutMs);
    }
};

TEST_F(WinKeyerSimulatorTest, AnswersHostOpenAndEchoAndKeepsSettings) {
    port.SendText(Bytes({kAdmin, kAdminHostOpen}));
    ASSERT_TRUE(RepliesEndWith(Bytes({kDefaultVersion})));
    EXPECT_TRUE(keyer.HostOpen());
    port.SendText(Bytes({kAdmin, kAdminEcho, 7}));
    ASSERT_TRUE(RepliesEndWith(Bytes({7})));
    port.SendText(Bytes({kSetSpeed, 28, kSetModeRegister, 0x94, kSidetone, 0x85}));
    ASSERT_TRUE(keyer.WaitFor([&] { return keyer.Sidetone() == 0x85; }, 2000));
    EXPECT_EQ(keyer.Speed(), 28);
    EXPECT_EQ(keyer.ModeRegister(), 0x94);
    EXPECT_DOUBLE_EQ(keyer.DitMilliseconds(), 1200.0 / 28);
    port.SendText(Bytes({kAdmin, kAdminHostClose}));
    ASSERT_TRUE(keyer.WaitFor([&] { return !keyer.HostOpen(); }, 2000));
    EXPECT_EQ(replies, Bytes({kDefaultVersion, 7}));  // nothing else was answered

    // Every byte is recorded in order, with the time it was read.
    const auto received = keyer.Received();
    ASSERT_EQ(received.size(), 13u);
    EXPECT_EQ(keyer.ReceivedBytes().left(2), Bytes({kAdmin, kAdminHostOpen}));
    for (size_t i = 1; i < received.size(); ++i)
        EXPECT_LE(received[i - 1].at, received[i].at);
    keyer.ClearReceived();
    EXPECT_TRUE(keyer.ReceivedBytes().isEmpty());
}

TEST_F(WinKeyerSimulatorTest, KeysTextAtTheSetSpeedWithBusyEchoAndIdle) {
    port.SendText(Bytes({kSetSpeed, 60}));  // before host open: not taken
    OpenHost();
    EXPECT_EQ(keyer.Speed(), 20);
    port.SendText(Bytes({kSetSpeed, 60, kSetModeRegister, kModeSerialEcho}));  // dit 20 ms
    QElapsedTimer timer;
    timer.start();
    port.SendText(QByteArray("EE"));  // E: a dit and a character gap, 4 dits = 80 ms
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusIdle})));
    EXPECT_GE(timer.elapsed(), 150);
    EXPECT_EQ(replies, Bytes({kStatusBusy, 'E', 'E', kStatusIdle}));
    EXPECT_EQ(keyer.KeyedText(), "EE");

    // Without serial echo only the status bytes come; a buffered speed change applies.
    replies.clear();
    port.SendText(Bytes({kSetModeRegister, 0x00, kBufferedSpeed, 99, 'T', kCancelBufferedSpeed}));
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusIdle})));
    EXPECT_EQ(replies, Bytes({kStatusBusy, kStatusIdle}));
    EXPECT_EQ(keyer.KeyedText(), "EET");
    EXPECT_TRUE(keyer.WaitForIdle());
}

TEST_F(WinKeyerSimulatorTest, ClearBufferKeyDownAndInjectedBytes) {
    OpenHost();
    port.SendText(Bytes({kSetSpeed, 10}));  // dit 120 ms: "TEST TEST" takes seconds
    port.SendText(QByteArray("TEST TEST"));
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusBusy})));
    QElapsedTimer timer;
    timer.start();
    port.SendText(Bytes({kClearBuffer}));
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusIdle})));
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_LT(keyer.KeyedText().size(), 3);

    port.SendText(Bytes({kKeyImmediate, 1}));
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusKeyDown})));
    EXPECT_TRUE(keyer.KeyDown());
    port.SendText(Bytes({kKeyImmediate, 0}));
    ASSERT_TRUE(RepliesEndWith(Bytes({kStatusIdle})));
    EXPECT_FALSE(keyer.KeyDown());

    replies.clear();
    keyer.SendPotReport(15);  // 143: 25 WPM as the logger reads it
    keyer.SendPaddleStatus();
    keyer.SendRaw(Bytes({23, 0x00}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 4; }, 2000));
    EXPECT_EQ(replies, Bytes({143, kStatusPaddle, 23, 0x00}));
}

}  // namespace

TEST_F(WinKeyerSimulatorTest, TimeScaleChangesMidTextKeepTheOrder) {
    // 10 WPM: "TEST TEST" takes over 6 s in real time. Scale 0 from the start or after the
    // first echo, or ten times faster after it: every echo comes, in order, then idle.
    OpenHost();
    port.SendText(Bytes({kSetSpeed, 10, kSetModeRegister, kModeSerialEcho}));
    for (const auto& [first, then] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {1.0, 0.1}}) {
        replies.clear();
        keyer.SetTimeScale(first);
        port.SendText(QByteArray("TEST TEST"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() >= 2; }, 3000));
        keyer.SetTimeScale(then);
        ASSERT_TRUE(RepliesEndWith(Bytes({kStatusIdle}))) << first << " " << then;
        EXPECT_EQ(replies, Bytes({kStatusBusy}) + "TEST TEST" + Bytes({kStatusIdle}));
    }
}
