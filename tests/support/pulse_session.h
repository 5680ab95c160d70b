// A real PulseAudio server for the life of the object, with a null sink as
// its only output, on a runtime folder of its own; this process's sound goes
// to it. What reaches the sink is recorded from the sink's monitor with parec.
// Start it before anything in the process touches sound: Qt connects to the
// server once.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace testing_support {

class PulseSession {
  public:
    static constexpr int kMonitorRate = 48000;  // mono, 16-bit

    PulseSession();
    ~PulseSession();
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    // False, with the reason, when pulseaudio is not installed or does not answer.
    bool Start(QString* reason);
    const QString& SinkName() const { return sinkName_; }

    // Records the sink's monitor until StopMonitor, which hands over the samples.
    bool StartMonitor();
    std::vector<qint16> StopMonitor();
    // Samples recorded so far; read as they come.
    qsizetype MonitorFrames();

  private:
    QProcessEnvironment Environment() const;
    void DrainMonitor();

    QTemporaryDir dir_;
    QString sinkName_ = QStringLiteral("corvatta_test");
    bool started_ = false;
    std::unique_ptr<QProcess> monitor_;
    QByteArray recorded_;
};

// The process's one server, started on first use (before anything touches
// sound); null, with a warning that says why, where none can be started.
PulseSession* SharedPulseSession();

}  // namespace testing_support
