// The port component against the WinKeyer simulator on a pseudo-terminal: open and close,
// errors, data both ways, OnRxChar and the event thread's hand-off, hang-up, and the line
// settings actually in force on the device.
#include "serial/com_port.h"
#include "serial/linux_termios.h"
#include "tests/serial/spy_device.h"
#include "tests/support/keyer_port.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_bytes.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <termios.h>
#include <time.h>

#include <optional>

using namespace serial;
using testing_support::DeviceLog;
using testing_support::SpyDevice;
using testing_support::WinKeyerSimulator;

namespace {

using testing_support::ConfigureForKeyer;

template <typename F>
std::optional<EComPort> Raised(F&& f) {
    try {
        f();
    } catch (const EComPort& e) {
        return e;
    }
    return std::nullopt;
}

termios LineOf(const WinKeyerSimulator& keyer) {
    termios t{};
    tcgetattr(keyer.MasterFd(), &t);
    return t;
}

int RateOf(const WinKeyerSimulator& keyer) {
    int rate = 0;
    posix::GetBaudRate(keyer.MasterFd(), &rate);
    return rate;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool OnUiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

constexpr int kStatusIdleByte = 0xC0;

using testing_support::Bytes;

// Records every OnRxChar: its count, whether it ran on the UI thread and nested in another.
struct RxRecorder {
    QList<int> counts;
    QByteArray bytes;
    bool allOnUiThread = true;
    int depth = 0;
    int maxDepth = 0;
    bool read = true;  // read the bytes, as the keyer does

    void Attach(TCustomComPort& port, std::function<void(int)> extra = {}) {
        QObject::connect(&port, &TCustomComPort::OnRxChar, &port, [this, &port, extra](int n) {
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            allOnUiThread = allOnUiThread && OnUiThread();
            counts << n;
            if (read)
                bytes += port.ReceiveText(n);
            if (extra)
                extra(n);
            --depth;
        });
    }
};

class ComPortTest : public ::testing::Test {
  protected:
    WinKeyerSimulator keyer;
    TComPort port;
    void SetUp() override { ConfigureForKeyer(port, keyer.PortPath()); }
};

TEST_F(ComPortTest, OpenCloseAndReopen) {
    EXPECT_FALSE(port.Connected());
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(true);  // already open: nothing happens
    port.Open();
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    port.Close();  // already closed
    port.Open();   // the device was let go: it opens again
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.SendText(Bytes({0x00, 0x02})), 2);
    EXPECT_TRUE(keyer.WaitForReceived(Bytes({0x00, 0x02})));
}

TEST_F(ComPortTest, OpeningFailuresLeaveThePortClosed) {
    TComPort missing;
    missing.SetPort("COM7");  // looked for as /dev/COM7
    auto e = Raised([&] { missing.Open(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), "Unable to open com port (Error: 2)");
    EXPECT_FALSE(missing.Connected());

    // Held by another opener: flock refuses everyone (root included, where TIOCEXCL does not),
    // TIOCEXCL refuses a non-root opener first.
    port.Open();
    TComPort second;
    second.SetPort(keyer.PortPath());
    e = Raised([&] { second.Open(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ErrorNumber(), 1);
    EXPECT_TRUE(e->SystemErrorCode() == EWOULDBLOCK || e->SystemErrorCode() == EBUSY)
        << e->SystemErrorCode();
    EXPECT_EQ(e->message(),
              QString("Unable to open com port (Error: %1)").arg(e->SystemErrorCode()));
    EXPECT_FALSE(second.Connected());
    port.Close();
    second.Open();  // free again once the first has closed
    EXPECT_TRUE(second.Connected());
    second.Close();

    // No name at all (a port not in the dialog's list, then OK).
    TComPort unnamed;
    unnamed.SetPort("");
    e = Raised([&] { unnamed.Open(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ErrorNumber(), 1);

    // Not a terminal: the line settings fail and the device is closed again, never half-open.
    testing_support::TempProgramDir dir;
    dir.Write("plain.txt", "x");
    TComPort notTty;
    notTty.SetPort(dir.File("plain.txt"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        e = Raised([&] { notTty.Open(); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->ErrorNumber(), 7) << e->message().toStdString();
        EXPECT_EQ(e->SystemErrorCode(), ENOTTY);
        EXPECT_FALSE(notTty.Connected());
    }
}

TEST_F(ComPortTest, SendTextEdges) {
    EXPECT_EQ(port.SendText(QByteArray()), 0);  // empty: 0, even while closed
    auto e = Raised([&] { port.SendText(QByteArray("A")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), "Port Not Open");
    EXPECT_EQ(e->ErrorNumber(), 24);
    EXPECT_EQ(e->SystemErrorCode(), -1);

    port.Open();
    EXPECT_EQ(port.SendText(std::string_view("")), 0);
    // A leading NUL is a byte like any other; 0x0A goes out raw (no 0D 0A, no echo).
    EXPECT_EQ(port.SendText(Bytes({0x00, 0x04, 0x0A})), 3);
    ASSERT_TRUE(keyer.WaitForReceived(Bytes({0x00, 0x04, 0x0A})));
    EXPECT_EQ(keyer.ReceivedBytes(), Bytes({0x00, 0x04, 0x0A}));
    const auto received = keyer.Received();
    ASSERT_EQ(received.size(), 3u);

    // The simulator echoed 0x0A back; nothing else came (the line does not echo itself): the
    // byte the keyer sends next is the only one behind it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() > 0; }, 2000));
    keyer.SendRaw("z");
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() >= 2; }, 2000));
    EXPECT_EQ(port.ReceiveText(100), Bytes({0x0A, 'z'}));
}

TEST_F(ComPortTest, ACommandSentJustBeforeClosingStillGoesOut) {
    // SendText returns once the bytes are queued; closing must not throw them away. A byte
    // coming the other way at the same moment keeps the pty's queues busy, as a keyer's
    // status report does.
    for (int round = 0; round < 20; ++round) {
        port.Open();
        keyer.SendRaw(Bytes({kStatusIdleByte}));
        port.SendText(Bytes({0x00, 0x03}));
        port.Close();
        ASSERT_TRUE(keyer.WaitForReceived(Bytes({0x00, 0x03}), 1000)) << "round " << round;
        keyer.ClearReceived();
    }
}

TEST_F(ComPortTest, XoffFromTheKeyerHoldsOutputUntilXon) {
    port.Open();  // XON/XOFF both ways, as the keyer runs it
    TComTimeouts timeouts;
    timeouts.WriteTotalMultiplier = 0;
    timeouts.WriteTotalConstant = 200;
    port.SetTimeouts(timeouts);
    // The line takes each flow-control byte in before the data byte behind it, and keeps it:
    // only the data byte is read.
    keyer.SendRaw(Bytes({19, 'x'}));  // XOFF
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() > 0; }, 2000));
    EXPECT_EQ(port.ReceiveText(10), QByteArray("x"));
    EXPECT_EQ(port.SendText(QByteArray("abc")), 0);  // held until the timeout; not an error
    keyer.SendRaw(Bytes({17, 'y'}));                 // XON
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() > 0; }, 2000));
    EXPECT_EQ(port.ReceiveText(10), QByteArray("y"));
    EXPECT_EQ(port.SendText(Bytes({0x02, 30})), 2);         // set speed: a command with no reply
    EXPECT_TRUE(keyer.WaitForReceived(Bytes({0x02, 30})));  // the host is not open: not taken
    EXPECT_FALSE(keyer.ReceivedBytes().contains("abc"));
    EXPECT_EQ(port.InputCount(), 0);  // the flow-control bytes are the line's, not data
}

TEST_F(ComPortTest, ReceiveTextReturnsWhatHasArrived) {
    EXPECT_EQ(port.ReceiveText(0), QByteArray());  // closed, but no device is touched
    auto e = Raised([&] { port.ReceiveText(1); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ErrorNumber(), 24);

    port.Open();
    EXPECT_EQ(port.ReceiveText(5), QByteArray());  // nothing there: at once, empty
    keyer.SendRaw("abc");
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() == 3; }, 2000));
    EXPECT_EQ(port.ReceiveText(0), QByteArray());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(port.ReceiveText(100), QByteArray("abc"));
    EXPECT_LT(timer.elapsed(), 100);
    EXPECT_EQ(port.InputCount(), 0);
}

TEST_F(ComPortTest, OnRxCharRunsOnTheUiThreadOneAtATime) {
    RxRecorder rx;
    bool sentMore = false;
    rx.Attach(port, [&](int) {
        if (sentMore)
            return;
        // The UI thread is busy for a moment while more bytes arrive.
        sentMore = true;
        keyer.SendRaw("XYZ");
        // Blocks this thread, without the event loop, until they are there.
        keyer.WaitFor([&] { return port.InputCount() == 3; }, 2000);
    });
    port.Open();
    keyer.SendRaw(Bytes({0x17, 0xC4}));
    // Both bytes are waiting before the UI thread looks.
    keyer.WaitFor([&] { return port.InputCount() == 2; }, 2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.bytes.size() == 5; }, 2000));
    EXPECT_EQ(rx.bytes, Bytes({0x17, 0xC4, 'X', 'Y', 'Z'}));
    EXPECT_EQ(rx.counts, QList<int>({2, 3}));
    EXPECT_TRUE(rx.allOnUiThread);
    EXPECT_EQ(rx.maxDepth, 1);
}

TEST_F(ComPortTest, UnreadBytesRaiseNoFurtherEventsUntilMoreArrive) {
    RxRecorder rx;
    rx.read = false;
    rx.Attach(port);
    port.Open();
    keyer.SendRaw("a");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.counts.size() == 1; }, 2000));
    // A stretch of time is what is measured here: the CPU the port takes while bytes wait.
    const double cpuBefore = ProcessCpuMs();
    QTest::qWait(200);
    EXPECT_EQ(rx.counts, QList<int>({1}));  // a received-character event, not a level
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 50);
    keyer.SendRaw("b");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.counts.size() == 2; }, 2000));
    EXPECT_EQ(rx.counts.last(), 2);
}

TEST_F(ComPortTest, ClosingServesAPendingHandoff) {
    RxRecorder rx;
    rx.Attach(port);
    port.Open();
    keyer.SendRaw("q");
    // The event thread then hands the byte to the UI thread, which is here. Nothing outside
    // the component shows the hand-off pending: a moment after the byte is there, it is.
    keyer.WaitFor([&] { return port.InputCount() == 1; }, 2000);
    QThread::msleep(20);
    QElapsedTimer timer;
    timer.start();
    port.Close();  // would wait for ever (or a second per try) without serving the hand-off
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_FALSE(port.Connected());
    // Closing purges the driver's queues before it ends the thread, as the platform does, so
    // the served hand-off finds nothing waiting and raises no OnRxChar.
    QCoreApplication::processEvents();  // the hand-off's posted event arrives late, does nothing
    EXPECT_TRUE(rx.counts.isEmpty());
    port.Open();
    keyer.SendRaw("r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.bytes == "r"; }, 2000));
}

TEST_F(ComPortTest, ClosingAndReopeningFromInsideOnRxChar) {
    RxRecorder rx;
    int closeAt = 1;
    rx.Attach(port, [&](int) {
        if (rx.counts.size() == closeAt)
            port.Close();
        if (rx.counts.size() == 2)
            port.Open();  // close and reopen in one handler
    });
    port.Open();
    keyer.SendRaw("1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port.Connected(); }, 2000));
    EXPECT_EQ(rx.bytes, QByteArray("1"));

    closeAt = 2;
    port.Open();
    keyer.SendRaw("2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.counts.size() == 2; }, 2000));
    EXPECT_TRUE(port.Connected());
    keyer.SendRaw("3");  // the thread started inside the handler serves the next bytes
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.counts.size() == 3; }, 2000));
    EXPECT_EQ(rx.bytes, QByteArray("123"));
    EXPECT_EQ(rx.maxDepth, 1);
}

TEST_F(ComPortTest, AHandlerExceptionEndsTheEventThreadOnly) {
    int calls = 0;
    QObject::connect(&port, &TCustomComPort::OnRxChar, &port, [&](int) {
        ++calls;
        throw EComPort(kErrRead, EIO);
    });
    port.Open();
    keyer.SendRaw("a");
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));
    keyer.SendRaw("b");
    // An ended thread reports nothing ever again, so no later event can show it: a live one
    // would have handed "b" over within this stretch.
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.InputCount() == 2; }, 2000));  // "a" unread
    QTest::qWait(50);
    EXPECT_EQ(calls, 1);            // no further notifications
    EXPECT_TRUE(port.Connected());  // but the port stays open
    EXPECT_EQ(port.SendText(QByteArray("x")), 1);
    QElapsedTimer timer;
    timer.start();
    port.Close();  // the thread has ended already: no wait
    EXPECT_LT(timer.elapsed(), 200);
    port.Open();
    keyer.SendRaw("c");
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 2000));
}

TEST(ComPortHangUp, AnUnpluggedAdapterClosesThePortAndTellsTheOwner) {
    QTemporaryDir dir;
    const QString link = dir.filePath("winkeyer");
    auto keyer = std::make_unique<WinKeyerSimulator>(link);
    TComPort port;
    ConfigureForKeyer(port, link);
    RxRecorder rx;
    rx.Attach(port);
    int disconnects = 0;
    bool connectedInSlot = true;
    QObject::connect(&port, &TCustomComPort::OnDisconnect, &port, [&] {
        ++disconnects;
        connectedInSlot = port.Connected();
        // The owner may try to reopen from here; the device is gone, so this fails.
        auto e = Raised([&] { port.Open(); });
        EXPECT_TRUE(e && e->ErrorNumber() == 1);
    });
    port.Open();
    keyer->SendRaw("a");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.bytes == "a"; }, 2000));

    keyer.reset();  // unplugged
    ASSERT_TRUE(QTest::qWaitFor([&] { return disconnects == 1; }, 2000));
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(connectedInSlot);
    // A stretch of time is what is measured here: nothing may spin on the dead line.
    const double cpuBefore = ProcessCpuMs();
    QTest::qWait(300);
    EXPECT_EQ(disconnects, 1);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 50);  // nothing spins on the hang-up
    EXPECT_EQ(Raised([&] { port.SendText(QByteArray("x")); })->ErrorNumber(), 24);
    port.Close();  // closing a released port is a no-op

    // Plugged in again behind the same name.
    keyer = std::make_unique<WinKeyerSimulator>(link);
    port.Open();
    keyer->SendRaw("b");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rx.bytes == "ab"; }, 2000));
    EXPECT_EQ(port.SendText(Bytes({0x00, 0x02})), 2);
    EXPECT_TRUE(keyer->WaitForReceived(Bytes({0x00, 0x02})));
}

TEST(ComPortHangUp, UnpluggedWhileTheOwnerClosesIt) {
    auto keyer = std::make_unique<WinKeyerSimulator>();
    TComPort port;
    ConfigureForKeyer(port, keyer->PortPath());
    int disconnects = 0;
    QObject::connect(&port, &TCustomComPort::OnDisconnect, &port, [&] { ++disconnects; });
    port.Open();
    keyer.reset();
    // The hang-up then waits for the UI thread; nothing outside the component shows when.
    QThread::msleep(50);
    port.Close();  // a purge on the dead line is not an error here
    EXPECT_FALSE(port.Connected());
    QCoreApplication::processEvents();  // a queued disconnect would run here
    EXPECT_EQ(disconnects, 0);          // the owner closed it itself
}

TEST_F(ComPortTest, DestroyingAnOpenPortRunsNoHandler) {
    auto owned = std::make_unique<TComPort>();
    ConfigureForKeyer(*owned, keyer.PortPath());
    int calls = 0;
    QObject::connect(owned.get(), &TCustomComPort::OnRxChar, owned.get(), [&](int) { ++calls; });
    owned->Open();
    keyer.SendRaw("z");
    // The byte is there, and a moment later its hand-off is pending (nothing shows when).
    keyer.WaitFor([&] { return owned->InputCount() == 1; }, 2000);
    QThread::msleep(20);
    owned.reset();
    QCoreApplication::processEvents();  // the hand-off's posted event finds no port
    EXPECT_EQ(calls, 0);
    port.Open();  // the device was released
}

TEST_F(ComPortTest, LineSettingsInForceOnTheDevice) {
    port.Open();
    termios t = LineOf(keyer);
    EXPECT_EQ(RateOf(keyer), 1200);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | CSTOPB), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    // Changes while open reach the device at once.
    port.SetBaudRate(br9600);
    EXPECT_EQ(RateOf(keyer), 9600);
    port.SetStopBits(sbTwoStopBits);
    EXPECT_TRUE(LineOf(keyer).c_cflag & CSTOPB);
    port.SetFlowControlSummary(fcNone);
    EXPECT_EQ(LineOf(keyer).c_iflag & (IXON | IXOFF), 0u);
    port.SetFlowControlSummary(fcHardware);
    EXPECT_TRUE(LineOf(keyer).c_cflag & CRTSCTS);
    port.SetFlowControlSummary(fcSoftware);

    // Rates without a B constant, from the table or custom.
    port.SetBaudRate(br14400);
    EXPECT_EQ(RateOf(keyer), 14400);
    port.SetCustomBaudRate(31250);
    port.SetBaudRate(brCustom);
    EXPECT_EQ(RateOf(keyer), 31250);

    // A pty carries neither parity nor data bits, but must still work as a port.
    port.SetParityBits(prOdd);
    port.SetDataBits(dbSeven);
    EXPECT_EQ(RateOf(keyer), 31250);

    // 1.5 stop bits: only with 5 data bits.
    auto e = Raised([&] { port.SetStopBits(sbOne5StopBits); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QString("SetCommState function failed (Error: %1)").arg(EINVAL));
    port.SetDataBits(dbFive);  // applies with the 1.5 already stored: accepted now
    EXPECT_TRUE(LineOf(keyer).c_cflag & CSTOPB);

    // The settings are applied again on the next open.
    port.Close();
    port.SetBaudRate(br2400);
    port.Open();
    EXPECT_EQ(RateOf(keyer), 2400);
}

TEST(ComPortSettings, AppliedOnceAtEndSettingsChange) {
    WinKeyerSimulator keyer;
    auto log = std::make_shared<DeviceLog>();
    TComPort port(std::make_unique<SpyDevice>(log));
    ConfigureForKeyer(port, keyer.PortPath());
    EXPECT_TRUE(log->calls.isEmpty());  // closed: nothing reaches a device

    port.Open();
    EXPECT_EQ(log->calls, QStringList({"queues", "line", "timeouts"}));
    log->calls.clear();

    port.SetBaudRate(br9600);
    port.SetBaudRate(br9600);  // equal value: nothing
    port.SetParityBits(prEven);
    EXPECT_EQ(log->calls, QStringList({"line", "line"}));
    log->calls.clear();

    port.BeginSettingsChange();
    port.BeginSettingsChange();
    port.SetBaudRate(br4800);
    port.SetDataBits(dbSeven);
    port.SetStopBits(sbTwoStopBits);
    port.SetFlowControlSummary(fcNone);
    port.EndSettingsChange();
    EXPECT_TRUE(log->calls.isEmpty());
    port.EndSettingsChange();
    EXPECT_EQ(log->calls, QStringList({"queues", "line", "timeouts"}));
    EXPECT_EQ(log->lastLine.BaudRate, 4800);
    EXPECT_EQ(log->lastLine.ByteSize, 7);
    EXPECT_EQ(log->lastLine.StopBits, 2);
    EXPECT_FALSE(log->lastLine.InX || log->lastLine.OutX);
    EXPECT_EQ(log->lastLine.DtrControl, 1);  // DTR held on
    log->calls.clear();
    port.EndSettingsChange();  // at 0: nothing
    EXPECT_TRUE(log->calls.isEmpty());
}

TEST(ComPortSettings, PortChangeReopensEvenInsideASettingsChange) {
    WinKeyerSimulator first;
    WinKeyerSimulator second;
    TComPort port;
    ConfigureForKeyer(port, first.PortPath());
    port.Open();
    port.BeginSettingsChange();
    port.SetPort(second.PortPath());
    EXPECT_TRUE(port.Connected());
    port.SendText(QByteArray("B"));
    port.EndSettingsChange();
    EXPECT_TRUE(second.WaitForReceived("B"));
    EXPECT_TRUE(first.ReceivedBytes().isEmpty());
    // The first device is free again.
    TComPort other;
    other.SetPort(first.PortPath());
    other.Open();
}

TEST(ComPortSettings, LoadFromIniWhileOpen) {
    WinKeyerSimulator keyer;
    testing_support::TempProgramDir dir;
    auto log = std::make_shared<DeviceLog>();
    TComPort port(std::make_unique<SpyDevice>(log));
    ConfigureForKeyer(port, keyer.PortPath());
    port.Open();
    log->calls.clear();
    dir.Write("Corvatta.ini",
              QString("[ComPort]\r\nPort=%1\r\nBaudRate=4800\r\nStopBits=2\r\nDataBits=7\r\n"
                      "Parity=Odd\r\nFlowControl=None\r\n")
                  .arg(keyer.PortPath())
                  .toLocal8Bit());
    port.LoadFromIni(dir.File("Corvatta.ini"));
    EXPECT_EQ(log->Count("line"), 1);  // in one go
    EXPECT_EQ(log->lastLine.BaudRate, 4800);
    EXPECT_EQ(log->lastLine.Parity, 1);
    EXPECT_EQ(RateOf(keyer), 4800);

    // A port that cannot be opened: number 17, and the change counter is back at 0.
    dir.Write("Corvatta.ini", "[ComPort]\r\nPort=COM7\r\nBaudRate=1200\r\n");
    auto e = Raised([&] { port.LoadFromIni(dir.File("Corvatta.ini")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ErrorNumber(), 17);
    EXPECT_EQ(e->message(), "Failed to load settings");
    EXPECT_FALSE(port.Connected());
    port.SetPort(keyer.PortPath());
    port.Open();
    log->calls.clear();
    port.SetBaudRate(br9600);
    EXPECT_EQ(log->Count("line"), 1);
}

TEST_F(ComPortTest, WritesAreBoundedByTheWriteTimeout) {
    port.Open();
    keyer.PauseReading(true);  // nobody drains the line
    TComTimeouts t;
    t.WriteTotalMultiplier = 0;
    t.WriteTotalConstant = 200;
    port.SetTimeouts(t);
    const QByteArray big(1 << 20, 'e');
    QElapsedTimer timer;
    timer.start();
    const int written = port.SendText(big);
    EXPECT_GE(timer.elapsed(), 150);
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, big.size());  // fewer bytes, and no error
    keyer.PauseReading(false);
}

}  // namespace
