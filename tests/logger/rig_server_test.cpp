// Following the radio against a real rigctld with its dummy radio, started
// and stopped by the tests on a loopback port.
#include "logger/main_window.h"
#include "logger/rig_link.h"
#include "platform/clock.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace corvatta {
namespace {

// rigctld -m 1 (the dummy radio) on 127.0.0.1 and a port of its own.
class RigServer {
  public:
    RigServer() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
    }
    ~RigServer() { Stop(); }

    bool Start() {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
        if (exe.isEmpty()) {
            return false;
        }
        process_ = std::make_unique<QProcess>();
        process_->start(exe, {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port_)});
        if (!process_->waitForStarted(3000)) {
            return false;
        }
        // Listening once a connection is taken.
        return QTest::qWaitFor(
            [this] {
                QTcpSocket s;
                s.connectToHost(QHostAddress::LocalHost, port_);
                return s.waitForConnected(100);
            },
            8000);
    }
    void Stop() {
        control_.reset();
        if (process_) {
            process_->kill();
            process_->waitForFinished(3000);
            process_.reset();
        }
    }
    // Turns the dummy radio's knobs, as the operator turns a real one.
    // One connection for all of them: a fresh client for each command now
    // and then went unanswered while the logger's own client was polling.
    void Command(const QByteArray& line) {
        if (!control_) {
            control_ = std::make_unique<QTcpSocket>();
            control_->connectToHost(QHostAddress::LocalHost, port_);
            ASSERT_TRUE(control_->waitForConnected(5000));
        }
        QTcpSocket& s = *control_;
        s.write(line + "\n");
        // Generous: rigctld answers in milliseconds, but a loaded machine may
        // keep it waiting; the wait ends as soon as the answer is there.
        ASSERT_TRUE(s.canReadLine() || s.waitForReadyRead(5000)) << line.constData();
        EXPECT_EQ(s.readLine().trimmed(), "RPRT 0") << line.constData();
    }
    quint16 Port() const { return port_; }

  private:
    quint16 port_ = 0;
    std::unique_ptr<QProcess> process_;
    std::unique_ptr<QTcpSocket> control_;
};

TEST(RigLink, FollowsTheRadioAndReconnectsWhenTheServerComesBack) {
    RigServer server;
    ASSERT_TRUE(server.Start()) << "rigctld (Debian package libhamlib-utils) is needed";
    RigLink link;
    QSignalSpy connection(&link, &RigLink::connectionChanged);
    QSignalSpy frequency(&link, &RigLink::frequencyChanged);
    QSignalSpy mode(&link, &RigLink::modeChanged);
    link.Start(QStringLiteral("127.0.0.1"), server.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.Connected(); }, 8000));

    server.Command("F 3550000");
    server.Command("M CW 500");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !frequency.isEmpty() && frequency.last().at(0).toLongLong() == 3550000; },
        8000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !mode.isEmpty() && mode.last().at(0).toString() == "CW"; }, 8000));
    // An unchanged frequency is not reported again: each poll asks for it before the mode,
    // so once a new mode is reported the polls before it have answered.
    const qsizetype reports = frequency.size();
    server.Command("M USB 2400");
    EXPECT_TRUE(QTest::qWaitFor([&] { return mode.last().at(0).toString() == "USB"; }, 8000));
    EXPECT_EQ(frequency.size(), reports);

    server.Stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link.Connected(); }, 8000));
    EXPECT_FALSE(connection.last().at(0).toBool());
    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return link.Connected(); },
                                2 * RigLink::kReconnectIntervalMs + 2000));
    // The new server's dummy radio starts on its own frequency: reported afresh.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frequency.last().at(0).toLongLong() != 3550000; }, 8000));
    link.Stop();
    EXPECT_FALSE(link.Connected());
}

TEST(RigLink, TheMixCategoryFollowsTheRadiosModeAndTheOthersKeepTheirs) {
    RigServer server;
    ASSERT_TRUE(server.Start()) << "rigctld (Debian package libhamlib-utils) is needed";
    for (const int category : {2, 0}) {
        testing_support::TempProgramDir dir;
        testing_support::RecordingDialogs dialogs;
        dir.Write("Corvattaini.ini",
                  "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=" +
                      QByteArray::number(category) +
                      "\r\nMyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n");
        dir.Write("Corvatta.ini", "[Rig]\r\nEnabled=1\r\nHost=127.0.0.1\r\nPort=" +
                                      QByteArray::number(server.Port()) + "\r\n");
        StationState state;
        platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(7, 10), Qt::UTC));
        TfMain w(state, clock);
        w.show();
        EXPECT_TRUE(w.LRig->isVisible());
        ASSERT_NE(w.findChild<RigLink*>(), nullptr);
        QSignalSpy modes(w.findChild<RigLink*>(), &RigLink::modeChanged);
        // Each turn of the knobs comes with a new frequency, so the test can
        // wait for the poll that brought it.
        const auto turn = [&](const char* hertz, const char* mode, const char* shown) {
            server.Command(QByteArray("M ") + mode);
            server.Command(QByteArray("F ") + hertz);
            EXPECT_TRUE(QTest::qWaitFor([&] { return w.LRig->text() == shown; }, 8000));
            // The mode's answer follows the frequency's; the window has taken it first.
            const QString rigMode = QString::fromLatin1(mode).section(' ', 0, 0);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return !modes.isEmpty() && modes.last().at(0).toString() == rigMode; },
                8000));
        };
        turn("3550000", "USB 2400", "3550.0 kHz");
        EXPECT_EQ(state.op.Mode, category == 2 ? "SSB" : "CW") << category;
        turn("3551000", "CW 500", "3551.0 kHz");
        EXPECT_EQ(state.op.Mode, "CW") << category;
    }
}

}  // namespace
}  // namespace corvatta
