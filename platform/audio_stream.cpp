#include "audio_stream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

QStringList Names(const QList<QAudioDevice>& devices) {
    QStringList names;
    for (const QAudioDevice& d : devices) {
        names << d.description();
    }
    return names;
}

// The named device, matched by its description or its system id; an empty
// name is the default. A null device when there is none.
QAudioDevice FindDevice(const QList<QAudioDevice>& devices, const QAudioDevice& fallback,
                        const QString& name) {
    if (name.isEmpty()) {
        return fallback;
    }
    for (const QAudioDevice& d : devices) {
        if (d.description() == name || QString::fromUtf8(d.id()) == name) {
            return d;
        }
    }
    return {};
}

QAudioFormat MonoFormat(int sampleRate) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

QString MissingDevice(const QString& name, bool output) {
    if (name.isEmpty()) {
        return output ? QStringLiteral("Ni zvočne naprave za predvajanje.")
                      : QStringLiteral("Ni zvočne naprave za snemanje.");
    }
    return QStringLiteral("Zvočne naprave \"%1\" ni.").arg(name);
}

}  // namespace

QStringList AudioOutputNames() {
    return Names(QMediaDevices::audioOutputs());
}

QStringList AudioInputNames() {
    return Names(QMediaDevices::audioInputs());
}

// Never ends: the sink reads from it for the whole session and gets silence
// whenever the source has nothing to say.
class AudioOutput::Generator final : public QIODevice {
  public:
    explicit Generator(AudioPull source) : source_(std::move(source)) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qsizetype frames = qsizetype(maxSize / qint64(sizeof(qint16)));
        auto* samples = reinterpret_cast<qint16*>(data);
        const qsizetype filled =
            source_ ? std::clamp<qsizetype>(source_(samples, frames), 0, frames) : 0;
        std::fill(samples + filled, samples + frames, qint16(0));
        return qint64(frames) * qint64(sizeof(qint16));
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    AudioPull source_;
};

AudioOutput::AudioOutput(QObject* parent) : QObject(parent) {}

AudioOutput::~AudioOutput() {
    Close();
}

bool AudioOutput::Open(const QString& deviceName, int sampleRate, AudioPull source) {
    Close();
    const QAudioDevice device =
        FindDevice(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput(), deviceName);
    if (device.isNull()) {
        reason_ = MissingDevice(deviceName, true);
        return false;
    }
    const QAudioFormat format = MonoFormat(sampleRate);
    if (!device.isFormatSupported(format)) {
        reason_ = QStringLiteral("Zvočna naprava \"%1\" ne predvaja %2 Hz mono.")
                      .arg(device.description())
                      .arg(sampleRate);
        return false;
    }
    generator_ = std::make_unique<Generator>(std::move(source));
    // Unbuffered: a buffered device reads 16 KB ahead (170 ms of sound), and
    // a message would wait behind that much silence.
    generator_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    sink_ = new QAudioSink(device, format, this);
    sink_->setBufferSize(qsizetype(format.bytesForDuration(qint64(kBufferMs) * 1000)));
    sampleRate_ = sampleRate;
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State) {
        if (sink_ && sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError) {
            Fail(QStringLiteral("Zvočna naprava za predvajanje se je ustavila."));
        }
    });
    sink_->start(generator_.get());
    if (sink_->error() != QAudio::NoError) {
        Close();
        reason_ =
            QStringLiteral("Zvočne naprave \"%1\" ni mogoče odpreti.").arg(device.description());
        return false;
    }
    reason_.clear();
    return true;
}

void AudioOutput::Fail(const QString& reason) {
    Close();
    reason_ = reason;
    emit failed();
}

void AudioOutput::Close() {
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
        delete sink_;
        sink_ = nullptr;
    }
    generator_.reset();
}

qsizetype AudioOutput::BufferFrames() const {
    return sink_ ? sink_->bufferSize() / qsizetype(sizeof(qint16)) : 0;
}

qsizetype AudioOutput::QueuedFrames() const {
    return sink_ ? std::max<qsizetype>(0, sink_->bufferSize() - sink_->bytesFree()) /
                       qsizetype(sizeof(qint16))
                 : 0;
}

AudioInput::AudioInput(QObject* parent) : QObject(parent) {}

AudioInput::~AudioInput() {
    Stop();
}

bool AudioInput::Start(const QString& deviceName, int sampleRate) {
    Stop();
    samples_.clear();
    const QAudioDevice device =
        FindDevice(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput(), deviceName);
    if (device.isNull()) {
        reason_ = MissingDevice(deviceName, false);
        return false;
    }
    const QAudioFormat format = MonoFormat(sampleRate);
    if (!device.isFormatSupported(format)) {
        reason_ = QStringLiteral("Zvočna naprava \"%1\" ne snema %2 Hz mono.")
                      .arg(device.description())
                      .arg(sampleRate);
        return false;
    }
    source_ = new QAudioSource(device, format, this);
    device_ = source_->start();
    if (!device_ || source_->error() != QAudio::NoError) {
        delete source_;
        source_ = nullptr;
        device_ = nullptr;
        reason_ =
            QStringLiteral("Zvočne naprave \"%1\" ni mogoče odpreti.").arg(device.description());
        return false;
    }
    connect(device_, &QIODevice::readyRead, this, &AudioInput::ReadAvailable);
    connect(source_, &QAudioSource::stateChanged, this, [this](QAudio::State) {
        if (source_ && source_->error() != QAudio::NoError &&
            source_->error() != QAudio::UnderrunError) {
            reason_ = QStringLiteral("Zvočna naprava za snemanje se je ustavila.");
            emit failed();
        }
    });
    reason_.clear();
    return true;
}

void AudioInput::ReadAvailable() {
    if (!device_) {
        return;
    }
    const QByteArray bytes = device_->readAll();
    const qsizetype frames = bytes.size() / qsizetype(sizeof(qint16));
    // Nothing new: an empty vector's data() may be null, which memcpy must not get.
    if (frames <= 0) {
        return;
    }
    const size_t old = samples_.size();
    samples_.resize(old + size_t(frames));
    std::memcpy(samples_.data() + old, bytes.constData(), size_t(frames) * sizeof(qint16));
}

std::vector<qint16> AudioInput::Stop() {
    if (source_) {
        ReadAvailable();
        source_->disconnect(this);
        device_->disconnect(this);
        source_->stop();
        delete source_;
        source_ = nullptr;
        device_ = nullptr;
    }
    return std::exchange(samples_, {});
}

}  // namespace platform
