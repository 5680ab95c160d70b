#include "tests/support/pulse_session.h"

#include <QStandardPaths>
#include <QTest>

#include <cstring>

namespace testing_support {

namespace {

bool Run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

PulseSession::PulseSession() = default;

PulseSession::~PulseSession() {
    StopMonitor();
    if (started_) {
        Run(QStringLiteral("pulseaudio"), {QStringLiteral("--kill")}, Environment());
    }
}

QProcessEnvironment PulseSession::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString dir = dir_.path();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir + QStringLiteral("/pulse"));
    env.insert(QStringLiteral("PULSE_STATE_PATH"), dir + QStringLiteral("/state"));
    env.insert(QStringLiteral("PULSE_SERVER"),
               QStringLiteral("unix:") + dir + QStringLiteral("/pulse/native"));
    // The server must not read or write the user's own settings.
    env.insert(QStringLiteral("HOME"), dir);
    return env;
}

bool PulseSession::Start(QString* reason) {
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        *reason = QStringLiteral("pulseaudio and pulseaudio-utils are not installed");
        return false;
    }
    if (!dir_.isValid()) {
        *reason = QStringLiteral("no temporary folder");
        return false;
    }
    const QProcessEnvironment env = Environment();
    if (!Run(QStringLiteral("pulseaudio"),
             {QStringLiteral("-n"), QStringLiteral("--daemonize=yes"),
              QStringLiteral("--exit-idle-time=-1"),
              QStringLiteral("--load=module-null-sink sink_name=") + sinkName_,
              // The sink's sound as an input of its own: what the programs record
              // (a monitor is not offered as an input).
              QStringLiteral("--load=module-remap-source master=%1.monitor source_name=%1_in")
                  .arg(sinkName_),
              QStringLiteral("--load=module-native-protocol-unix")},
             env)) {
        *reason = QStringLiteral("pulseaudio did not start");
        return false;
    }
    started_ = true;
    if (!QTest::qWaitFor(
            [&] { return Run(QStringLiteral("pactl"), {QStringLiteral("info")}, env); }, 10000)) {
        *reason = QStringLiteral("pulseaudio does not answer");
        return false;
    }
    // This process talks to the new server from now on.
    for (const char* name : {"XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_SERVER"}) {
        qputenv(name, env.value(QString::fromLatin1(name)).toLocal8Bit());
    }
    return true;
}

bool PulseSession::StartMonitor() {
    StopMonitor();
    recorded_.clear();
    monitor_ = std::make_unique<QProcess>();
    monitor_->setProcessEnvironment(Environment());
    monitor_->start(
        QStringLiteral("parec"),
        {QStringLiteral("-d"), sinkName_ + QStringLiteral(".monitor"), QStringLiteral("--raw"),
         QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kMonitorRate),
         QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10")});
    if (!monitor_->waitForStarted(5000)) {
        monitor_.reset();
        return false;
    }
    // Recording once the first bytes (silence) come.
    return QTest::qWaitFor([this] { return MonitorFrames() > 0; }, 5000);
}

void PulseSession::DrainMonitor() {
    if (monitor_) {
        // What waits in the pipe too, not only what the event loop has read.
        monitor_->waitForReadyRead(0);
        recorded_ += monitor_->readAllStandardOutput();
    }
}

qsizetype PulseSession::MonitorFrames() {
    DrainMonitor();
    return recorded_.size() / 2;
}

std::vector<qint16> PulseSession::StopMonitor() {
    if (!monitor_) {
        return {};
    }
    DrainMonitor();
    monitor_->terminate();
    monitor_->waitForFinished(3000);
    DrainMonitor();
    monitor_.reset();
    std::vector<qint16> samples(size_t(recorded_.size() / 2));
    std::memcpy(samples.data(), recorded_.constData(), samples.size() * 2);
    recorded_.clear();
    return samples;
}

PulseSession* SharedPulseSession() {
    static PulseSession* session = [] {
        auto* s = new PulseSession;
        QString reason;
        if (!s->Start(&reason)) {
            qWarning("no sound server: %s", qPrintable(reason));
            delete s;
            return static_cast<PulseSession*>(nullptr);
        }
        return s;
    }();
    return session;
}

}  // namespace testing_support
