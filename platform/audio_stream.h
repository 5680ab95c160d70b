// Sound streams that stay open: an output that asks its source for samples
// as the device needs them (silence when the source has none, so the stream
// never stops and starts again between messages) and an input that gathers
// what the device records. Mono, 16-bit, at a rate the caller chooses. A
// machine without a sound device gets a refused operation and a reason,
// never a block or a crash.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAudioSink;
class QAudioSource;
class QIODevice;

namespace platform {

// Fills up to `frames` samples and returns how many it filled; the rest of
// the device's request is silence. Called on the thread that opened the
// output.
using AudioPull = std::function<qsizetype(qint16* samples, qsizetype frames)>;

// The device names the operator chooses from; an empty name is the default.
QStringList AudioOutputNames();
QStringList AudioInputNames();

class AudioOutput : public QObject {
    Q_OBJECT

  public:
    // 30 ms at the device: what is queued there (silence between messages)
    // is heard before a new message, so it is kept short; the sound system
    // hands over 20 ms at a time and needs room for one such period.
    static constexpr int kBufferMs = 30;

    explicit AudioOutput(QObject* parent = nullptr);
    ~AudioOutput() override;

    // Opens the named device (empty: the default) at `sampleRate` and starts
    // pulling from `source`. False, with Reason() set, when there is no
    // such device or it cannot be opened.
    bool Open(const QString& deviceName, int sampleRate, AudioPull source);
    void Close();
    bool IsOpen() const { return sink_ != nullptr; }
    const QString& Reason() const { return reason_; }
    int SampleRate() const { return sampleRate_; }
    // The device's buffer, in samples: what has been handed over but not yet heard.
    qsizetype BufferFrames() const;
    // Samples handed to the device and not yet heard: a sample handed over now
    // is heard this many samples later. Safe to ask from inside the source.
    qsizetype QueuedFrames() const;

  signals:
    // The device failed or was lost while open; Reason() says why.
    void failed();

  private:
    class Generator;
    void Fail(const QString& reason);

    std::unique_ptr<Generator> generator_;
    QAudioSink* sink_ = nullptr;
    QString reason_;
    int sampleRate_ = 0;
};

class AudioInput : public QObject {
    Q_OBJECT

  public:
    explicit AudioInput(QObject* parent = nullptr);
    ~AudioInput() override;

    // False, with Reason() set, when there is no such device or it cannot be opened.
    bool Start(const QString& deviceName, int sampleRate);
    // Ends the recording and hands over what was recorded.
    std::vector<qint16> Stop();
    bool IsRecording() const { return source_ != nullptr; }
    const QString& Reason() const { return reason_; }
    qsizetype RecordedFrames() const { return qsizetype(samples_.size()); }

  signals:
    // The device failed while recording; what was recorded is kept for Stop().
    void failed();

  private:
    void ReadAvailable();

    QAudioSource* source_ = nullptr;
    QIODevice* device_ = nullptr;
    std::vector<qint16> samples_;
    QString reason_;
};

}  // namespace platform
