// The voice keyer against real sound and a real radio daemon: a PulseAudio
// server with a null sink (what reaches it is recorded from its monitor) and
// rigctld's dummy radio, which takes PTT commands with -P RIG.
#include "logger/program.h"
#include "logger/ptt.h"
#include "logger/rig_link.h"
#include "logger/voice_keyer.h"
#include "logger/voice_messages.h"
#include "logger/voice_settings.h"
#include "platform/audio_stream.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "serial/com_port.h"
#include "tests/support/pulse_session.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <cmath>

namespace corvatta {
namespace {

using testing_support::PulseSession;
using testing_support::TempProgramDir;

// One server for the whole test program: Qt connects to a sound server once.
PulseSession* Pulse() {
    return testing_support::SharedPulseSession();
}

// A tone, loud enough to tell from the sink's silence.
VoiceClip Tone(int ms, int rate) {
    VoiceClip clip{std::vector<qint16>(size_t(rate) * size_t(ms) / 1000), rate};
    for (size_t i = 0; i < clip.samples.size(); ++i) {
        clip.samples[i] = qint16(12000 * std::sin(2 * M_PI * 600 * double(i) / rate));
    }
    return clip;
}

qsizetype Loud(const std::vector<qint16>& samples) {
    return std::count_if(samples.begin(), samples.end(),
                         [](qint16 s) { return std::abs(s) > 2000; });
}

// rigctld -m 1 -P RIG on a loopback port of its own.
class RigServer {
  public:
    bool Start() {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
        QTcpServer probe;
        if (exe.isEmpty() || !probe.listen(QHostAddress::LocalHost, 0)) {
            return false;
        }
        port_ = probe.serverPort();
        probe.close();
        process_.start(exe,
                       {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(port_)});
        return process_.waitForStarted(3000) &&
               QTest::qWaitFor(
                   [this] {
                       control_.abort();
                       control_.connectToHost(QHostAddress::LocalHost, port_);
                       return control_.waitForConnected(100);
                   },
                   8000);
    }
    ~RigServer() {
        process_.kill();
        process_.waitForFinished(3000);
    }
    // The dummy radio's PTT as it reports it ("t").
    int Ptt() {
        control_.write("t\n");
        if (!control_.canReadLine() && !control_.waitForReadyRead(5000)) {
            return -1;
        }
        return control_.readLine().trimmed().toInt();
    }
    quint16 Port() const { return port_; }

  private:
    quint16 port_ = 0;
    QProcess process_;
    QTcpSocket control_;
};

TEST(VoiceWave, HostileHeadersAreRefusedAndGoodOnesRead) {
    const VoiceClip tone = Tone(50, 16000);
    const QByteArray good = WaveBytes(tone);
    QString error;
    const std::optional<VoiceClip> back = ParseWave(good, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->samples, tone.samples);
    EXPECT_EQ(back->sampleRate, 16000);

    auto patched = [&](int at, quint32 value, int width) {
        QByteArray b = good;
        width == 2 ? qToLittleEndian<quint16>(quint16(value), b.data() + at)
                   : qToLittleEndian<quint32>(value, b.data() + at);
        return b;
    };
    const std::pair<const char*, QByteArray> refused[] = {
        {"empty", QByteArray()},
        {"cut in the header", good.left(30)},
        {"fmt size past the end", patched(16, 0xFFFFFFF0u, 4)},
        {"fmt too short", patched(16, 8, 4)},
        {"not PCM", patched(20, 3, 2)},
        {"no channels", patched(22, 0, 2)},
        {"three channels", patched(22, 3, 2)},
        {"rate 0", patched(24, 0, 4)},
        {"rate 96 kHz", patched(24, 96000, 4)},
        {"12 bits", patched(34, 12, 2)},
        {"block size wrong", patched(32, 7, 2)},
        {"no data chunk", good.left(36)},
    };
    for (const auto& [what, bytes] : refused) {
        error.clear();
        EXPECT_FALSE(ParseWave(bytes, &error)) << what;
        EXPECT_FALSE(error.isEmpty()) << what;
    }
    // A recorder that stopped short states more data than there is: what is there plays.
    const std::optional<VoiceClip> cut =
        ParseWave(patched(40, 0xFFFFFFFFu, 4).left(44 + 100), &error);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->samples.size(), 50u);

    // Stereo 8-bit is mixed to mono; a resampled clip keeps its length.
    QByteArray stereo8 = good.left(44);
    qToLittleEndian<quint16>(2, stereo8.data() + 22);
    qToLittleEndian<quint16>(2, stereo8.data() + 32);
    qToLittleEndian<quint16>(8, stereo8.data() + 34);
    stereo8 += QByteArray("\xFF\x01\xC0\xC0", 4);
    const std::optional<VoiceClip> mixed = ParseWave(stereo8, &error);
    ASSERT_TRUE(mixed) << error.toStdString();
    EXPECT_EQ(mixed->samples, (std::vector<qint16>{0, 64 * 256}));
    EXPECT_EQ(Resampled(tone, 48000).DurationMs(), 50);
}

TEST(VoiceSettings, SectionReadAndWrittenAlone) {
    platform::IniDocument ini = platform::IniDocument::FromBytes("[Main]\r\nCall=S50A\r\n");
    VoiceSettings s;
    LoadVoiceSettings(ini, s);
    EXPECT_FALSE(s.Enabled);
    EXPECT_EQ(s.Lead, 50);
    EXPECT_EQ(s.Tail, 100);
    s = {true, PttKind::Rig, "/dev/ttyUSB1", 80, 150, "USB Audio", ""};
    SaveVoiceSettings(s, ini);
    ini.SetValue("VOICE", "Lead", "99999");  // a typo must not hold the transmitter
    VoiceSettings read;
    LoadVoiceSettings(ini, read);
    EXPECT_EQ(ini.ReadString("Main", "Call", ""), "S50A");
    EXPECT_TRUE(read.Enabled);
    EXPECT_EQ(read.Ptt, PttKind::Rig);
    EXPECT_EQ(read.PttPort, "/dev/ttyUSB1");
    EXPECT_EQ(read.Lead, 50);
    EXPECT_EQ(read.Tail, 150);
    EXPECT_EQ(read.Output, "USB Audio");
}

class VoiceSound : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Pulse()) {
            GTEST_SKIP() << "pulseaudio is needed (Debian pulseaudio, pulseaudio-utils)";
        }
        QDir().mkpath(dir_.File("voice"));
    }
    void Record(const QString& name, const VoiceClip& clip) {
        dir_.Write(QStringLiteral("voice/") + name, WaveBytes(clip));
    }

    TempProgramDir dir_;
    platform::AudioOutput output_;
};

TEST_F(VoiceSound, MessageKeysTheRadioAroundItsSound) {
    RigServer rig;
    ASSERT_TRUE(rig.Start()) << "rigctld (Debian package libhamlib-utils) is needed";
    RigLink link;
    link.Start("127.0.0.1", rig.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.Connected(); }, 5000));

    Record("F1.wav", Tone(400, 16000));
    VoiceKeyer keyer(output_);
    VoiceSettings settings;
    settings.Ptt = PttKind::Rig;
    keyer.Configure(settings, &link);
    ASSERT_TRUE(Pulse()->StartMonitor());
    QSignalSpy finished(&keyer, &VoiceKeyer::finished);
    QElapsedTimer clock;
    qint64 keyedAt = -1, firstAt = -1, releasedAt = -1;
    QObject::connect(&keyer, &VoiceKeyer::pttChanged,
                     [&](bool on) { (on ? keyedAt : releasedAt) = clock.elapsed(); });
    QObject::connect(&keyer, &VoiceKeyer::firstSampleQueued, [&] { firstAt = clock.elapsed(); });
    clock.start();
    ASSERT_TRUE(keyer.PlayMessage(VoiceSet::Run, 1)) << keyer.Status().toStdString();
    EXPECT_FALSE(keyer.PlayMessage(VoiceSet::SearchPounce, 1));  // not recorded: nothing happens
    ASSERT_TRUE(keyer.PlayMessage(VoiceSet::Run, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstAt >= 0; }, 5000));
    EXPECT_EQ(rig.Ptt(), 1);
    // The replaced message ended first, not completed; then this one, completed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 5000));
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(finished.at(1).at(0).toBool());
    ASSERT_TRUE(QTest::qWaitFor([&] { return releasedAt > firstAt; }, 5000));
    EXPECT_EQ(rig.Ptt(), 0);
    // The sound is queued once the radio is keyed, to be heard the lead later; the radio is
    // released the tail after the 400 ms have been heard (the device holds at most its buffer).
    EXPECT_LE(keyedAt, firstAt);
    EXPECT_GE(releasedAt - keyedAt,
              settings.Lead + 400 + settings.Tail - platform::AudioOutput::kBufferMs);
    QTest::qWait(100);  // the sink's last buffer reaches the monitor
    const std::vector<qint16> heard = Pulse()->StopMonitor();
    // Nine tenths of a sine of this loudness stand above the threshold.
    EXPECT_NEAR(double(Loud(heard)) / PulseSession::kMonitorRate, 0.4 * 0.89, 0.04);
    EXPECT_TRUE(keyer.Status().isEmpty()) << keyer.Status().toStdString();
}

TEST_F(VoiceSound, StopSilencesAtOnceAndReleases) {
    RigServer rig;
    ASSERT_TRUE(rig.Start()) << "rigctld (Debian package libhamlib-utils) is needed";
    RigLink link;
    link.Start("127.0.0.1", rig.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.Connected(); }, 5000));
    Record("F3s.wav", Tone(5000, 48000));
    VoiceKeyer keyer(output_);
    VoiceSettings settings;
    settings.Ptt = PttKind::Rig;
    keyer.Configure(settings, &link);
    QSignalSpy started(&keyer, &VoiceKeyer::started);
    QSignalSpy finished(&keyer, &VoiceKeyer::finished);
    ASSERT_TRUE(keyer.PlayMessage(VoiceSet::SearchPounce, 3));
    ASSERT_TRUE(started.wait(5000));
    keyer.Stop();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(keyer.Playing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.Ptt() == 0; }, 2000));
}

TEST_F(VoiceSound, WatchdogReleasesARadioThatNeverAnswers) {
    // A server that takes the link and every command and answers none.
    QTcpServer mute;
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost, 0));
    QByteArray received;
    QTcpSocket* peer = nullptr;
    QObject::connect(&mute, &QTcpServer::newConnection, [&] {
        peer = mute.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] { received += peer->readAll(); });
    });
    RigLink link;
    link.Start("127.0.0.1", mute.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.Connected(); }, 5000));
    Record("F2.wav", Tone(200, 8000));
    VoiceKeyer keyer(output_);
    VoiceSettings settings;
    settings.Ptt = PttKind::Rig;
    keyer.Configure(settings, &link);
    QSignalSpy finished(&keyer, &VoiceKeyer::finished);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(keyer.PlayMessage(VoiceSet::Run, 2));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_GE(clock.elapsed(), 200 + VoiceKeyer::kWatchdogMarginMs);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(keyer.Status().contains("Varovalo")) << keyer.Status().toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return received.contains("T 1\n") && received.contains("T 0\n"); }, 2000));
}

TEST_F(VoiceSound, NoDeviceNoSoundNoKeying) {
    Record("F1.wav", Tone(100, 8000));
    VoiceKeyer keyer(output_);
    VoiceSettings settings;
    settings.Output = "Ni take kartice";
    keyer.Configure(settings, nullptr);
    QSignalSpy ptt(&keyer, &VoiceKeyer::pttChanged);
    EXPECT_FALSE(keyer.PlayMessage(VoiceSet::Run, 1));
    EXPECT_EQ(ptt.count(), 0);
    EXPECT_TRUE(keyer.Status().contains("Ni take kartice")) << keyer.Status().toStdString();
}

TEST_F(VoiceSound, OnlyAFinishedRecordingReplacesTheFile) {
    const QByteArray old = WaveBytes(Tone(30, 8000));
    dir_.Write("voice/F5.wav", old);
    const QString target = VoiceMessageFile(VoiceSet::Run, 5);
    platform::AudioInput input;
    VoiceRecorder recorder(input);
    ASSERT_TRUE(recorder.Start(target, QString())) << recorder.Reason().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return input.RecordedFrames() > 0; }, 5000));
    recorder.Cancel();
    EXPECT_EQ(dir_.Read("voice/F5.wav"), old);
    {
        VoiceRecorder cut(input);  // a recorder closed mid-recording
        ASSERT_TRUE(cut.Start(target, QString()));
    }
    EXPECT_EQ(dir_.Read("voice/F5.wav"), old);
    EXPECT_EQ(QDir(dir_.File("voice")).entryList(QDir::Files), QStringList{"F5.wav"});

    ASSERT_TRUE(recorder.Start(target, QString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return input.RecordedFrames() > 4800; }, 5000));
    ASSERT_TRUE(recorder.Finish()) << recorder.Reason().toStdString();
    QString error;
    const std::optional<VoiceClip> made = ReadWaveFile(target, &error);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_GE(made->DurationMs(), 100);
}

// The SSB entry line with voice messages, through the assembled program.
class VoiceEntryLine : public VoiceSound {
  protected:
    void Start(bool voice) {
        dir_.Write("Corvattaini.ini",
                   "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMyName=Ana\r\nMyAddress=Pot 1\r\n"
                   "MyEmail=ana@example.org\r\n"
                   "[WK]\r\nEnterSendMsg=1\r\nRunMode=1\r\n[VOICE]\r\nEnabled=" +
                       QByteArray(voice ? "1" : "0") + "\r\n");
        program_ = std::make_unique<Program>(state_, clock_, [](int) {});
        program_->main.show();
        program_->main.EMode->setCurrentIndex(1);
        emit program_->main.EMode->activated(1);
    }
    void Key(Qt::Key key) { QTest::keyClick(program_->main.ECall, key); }
    VoiceKeyer& Keyer() { return program_->Voice().KeyerAsIs(); }

    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC)};
    StationState state_;
    std::unique_ptr<Program> program_;
};

TEST_F(VoiceEntryLine, FunctionKeysEscAndTheCallSpelledInSsb) {
    Record("F1.wav", Tone(300, 16000));
    Record("F2.wav", Tone(200, 16000));
    Record("F5.wav", Tone(5000, 16000));
    QDir().mkpath(dir_.File("voice/letters"));
    for (const QChar c : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/")) {
        Record("letters/" + VoiceLetterFile(c), Tone(40, 48000));
    }
    Start(false);
    Key(Qt::Key_F1);
    EXPECT_FALSE(Keyer().Playing());  // a message starts at once when it plays at all

    program_.reset();
    Start(true);
    QSignalSpy finished(&Keyer(), &VoiceKeyer::finished);
    ASSERT_TRUE(Pulse()->StartMonitor());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Pulse()->MonitorFrames() > 0; }, 5000));
    Key(Qt::Key_F1);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    // ESM: the call letter by letter, then F2.
    QTest::keyClicks(program_->main.ECall, "S59ABC");
    Key(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 5000));
    const qsizetype end = Pulse()->MonitorFrames() + PulseSession::kMonitorRate / 5;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Pulse()->MonitorFrames() >= end; }, 5000));
    // F1, six letters and F2; a busy machine drops a buffer or two, a call left out is 0.21 s.
    EXPECT_NEAR(double(Loud(Pulse()->StopMonitor())) / PulseSession::kMonitorRate,
                (0.3 + 6 * 0.04 + 0.2) * 0.89, 0.1);

    Key(Qt::Key_F5);
    ASSERT_TRUE(Keyer().Playing());
    EXPECT_TRUE(state_.flags.Transmitting);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Keyer().Playing());
    EXPECT_FALSE(state_.flags.Transmitting);
}

TEST(VoicePtt, SerialLineKeysOrSaysWhyNot) {
    // A pseudo-terminal has no modem lines: keying must fail in words, not pass.
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    SerialLinePtt pty(QString::fromLatin1(name), PttKind::Rts);
    EXPECT_TRUE(pty.OpenError().contains("RTS")) << pty.OpenError().toStdString();
    QSignalSpy failed(&pty, &Ptt::failed);
    pty.Key(true);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_FALSE(pty.IsKeyed());
    // The keyer's own port: its line is moved through the keyer's open port, not opened again.
    serial::TComPort keyerPort;
    keyerPort.SetPort(QString::fromLatin1(name));
    keyerPort.Open();
    VoiceSettings onKeyerPort;
    onKeyerPort.Ptt = PttKind::Rts;
    onKeyerPort.PttPort = QString::fromLatin1(name);
    const std::unique_ptr<Ptt> shared = MakePtt(onKeyerPort, nullptr, &keyerPort);
    QSignalSpy sharedFailed(shared.get(), &Ptt::failed);
    shared->Key(true);
    ASSERT_EQ(sharedFailed.count(), 1);
    EXPECT_TRUE(sharedFailed.at(0).at(0).toString().contains("vratih keyerja"));
    ::close(master);
    ::close(slave);

    // A real port, where the machine has one whose lines move.
    for (const char* port : {"/dev/ttyUSB0", "/dev/ttyS0"}) {
        for (PttKind kind : {PttKind::Rts, PttKind::Dtr}) {
            SerialLinePtt ptt(port, kind);
            if (!ptt.OpenError().isEmpty()) {
                continue;
            }
            const int bit = kind == PttKind::Rts ? TIOCM_RTS : TIOCM_DTR;
            const int fd = ::open(port, O_RDONLY | O_NOCTTY | O_NONBLOCK);
            ASSERT_GE(fd, 0);
            int bits = 0;
            for (bool on : {true, false}) {
                ptt.Key(on);
                ASSERT_EQ(ioctl(fd, TIOCMGET, &bits), 0);
                EXPECT_EQ((bits & bit) != 0, on) << port;
            }
            ::close(fd);
            return;
        }
    }
    GTEST_SKIP() << "no serial port with modem lines";
}

}  // namespace
}  // namespace corvatta
