// The voice keyer: plays a recorded message (or a call spelled letter by
// letter, then a message) on a sound output kept open for the session, with
// the transmitter keyed a lead time before the sound and released a tail
// time after it. A new message stops the playing one; Stop() ends at once; a
// watchdog releases the transmitter at the message's length plus two seconds
// whatever happens. Also the recorder that makes the messages.
#pragma once

#include "logger/ptt.h"
#include "logger/voice_messages.h"
#include "logger/voice_settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <mutex>

namespace platform {
class AudioOutput;
class AudioInput;
}  // namespace platform

namespace serial {
class TCustomComPort;
}

namespace corvatta {

class RigLink;

class VoiceKeyer : public QObject {
    Q_OBJECT

  public:
    static constexpr int kWatchdogMarginMs = 2000;

    // The output is opened when the first message plays and kept open.
    explicit VoiceKeyer(platform::AudioOutput& output, QObject* parent = nullptr);
    ~VoiceKeyer() override;

    // Takes new settings: the PTT is made again (released first) and the
    // output reopened on its next use when the device changed.
    // A PTT line on the keyer's port goes through `keyerPort`.
    void Configure(const VoiceSettings& settings, RigLink* rig,
                   serial::TCustomComPort* keyerPort = nullptr);
    const VoiceSettings& Settings() const { return settings_; }

    // F1..F9 of a set. False when it does not play: no recording (nothing
    // said, as for an empty CW message), or a reason in Status().
    bool PlayMessage(VoiceSet set, int n);
    // The call letter by letter, then the message; the message alone when
    // the letters are not all recorded.
    bool PlayCall(const QString& call, VoiceSet set, int n);
    bool PlayClip(VoiceClip clip);
    // Silence and release at once.
    void Stop();
    bool Playing() const { return phase_ != Phase::Idle; }
    bool Keyed() const { return ptt_ && ptt_->IsKeyed(); }
    const QString& Status() const { return status_; }

  signals:
    void started();
    // completed is false when stopped, replaced, cut by the watchdog or failed.
    void finished(bool completed);
    void statusChanged(const QString& status);
    // Measuring points: the transmitter reported keyed, and the first sample
    // of the message handed to the output.
    void pttChanged(bool on);
    void firstSampleQueued();

  private:
    enum class Phase { Idle, Keying, Sounding, Tail };

    bool EnsureOutput();
    qsizetype Pull(qint16* samples, qsizetype frames);
    void OnKeyed(bool on);
    void OnPttFailed(const QString& reason);
    void StartSound(int leadMs);
    void StartWatchdog();
    void OnDrained();
    void Release();
    void End(bool completed);
    void SetStatus(const QString& status);

    platform::AudioOutput& output_;
    VoiceSettings settings_;
    std::unique_ptr<Ptt> ptt_;
    QString openedOutput_;
    bool outputOpen_ = false;

    Phase phase_ = Phase::Idle;
    VoiceClip clip_;
    QTimer tailTimer_;
    QTimer watchdog_;
    QString status_;

    // Shared with the output's pull, which may run on the sound system's thread.
    std::mutex mutex_;
    const std::vector<qint16>* playing_ = nullptr;
    size_t position_ = 0;
    bool firstPulled_ = false;
    qint64 soundAtMs_ = 0;  // on clock_: when the first sample is to be heard
    QElapsedTimer clock_;
};

// Records one message from the input into its file. The file is replaced
// only by a finished recording (through a temporary beside it), so a
// cancelled or failed one leaves the old file as it was.
class VoiceRecorder : public QObject {
    Q_OBJECT

  public:
    explicit VoiceRecorder(platform::AudioInput& input, QObject* parent = nullptr);
    ~VoiceRecorder() override;

    bool Start(const QString& fileName, const QString& inputDevice);
    // Writes the file; false with Reason() when it cannot be written.
    bool Finish();
    void Cancel();
    bool Recording() const { return !fileName_.isEmpty(); }
    const QString& FileName() const { return fileName_; }
    const QString& Reason() const { return reason_; }

  signals:
    // The input failed: the recording was dropped and Reason() says why.
    void failed();

  private:
    platform::AudioInput& input_;
    QString fileName_;
    QString reason_;
};

}  // namespace corvatta
