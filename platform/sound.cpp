#include "sound.h"

#include "program_dir.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace platform {

namespace {

SoundHook& Hook() {
    static SoundHook hook = nullptr;
    return hook;
}

QAudioDevice OutputDevice() {
    // Asking for the default device of a system without one is cheap and
    // gives a null device; then every sound is silently skipped.
    return QMediaDevices::defaultAudioOutput();
}

QString LocateSoundFile(const QString& fileName) {
    const QFileInfo given(fileName);
    if (given.isAbsolute()) {
        return given.isFile() ? given.absoluteFilePath() : QString();
    }
    for (const QString& dir : {QDir::currentPath() + u'/', ProgramDirectory()}) {
        const QFileInfo candidate(dir + fileName);
        if (candidate.isFile()) {
            return candidate.absoluteFilePath();
        }
    }
    return {};
}

// One effect object is kept and reused: loading a wave is the expensive part
// and the programs play the same file again and again.
QSoundEffect* Effect() {
    static QPointer<QSoundEffect> effect;
    if (!effect && QCoreApplication::instance()) {
        effect = new QSoundEffect(QCoreApplication::instance());
    }
    return effect;
}

// Fills one sample of the device's format with a value in [-1, 1].
void AppendSample(QByteArray& out, QAudioFormat::SampleFormat format, double value) {
    switch (format) {
        case QAudioFormat::UInt8:
            out.append(char(quint8(std::lround(127.5 + value * 127.0))));
            break;
        case QAudioFormat::Int16: {
            const qint16 s = qToLittleEndian(qint16(std::lround(value * 32767.0)));
            out.append(reinterpret_cast<const char*>(&s), sizeof s);
            break;
        }
        case QAudioFormat::Int32: {
            const qint32 s = qToLittleEndian(qint32(std::lround(value * 2147483647.0)));
            out.append(reinterpret_cast<const char*>(&s), sizeof s);
            break;
        }
        case QAudioFormat::Float: {
            const float s = float(value);
            out.append(reinterpret_cast<const char*>(&s), sizeof s);
            break;
        }
        default:
            break;
    }
}

QByteArray Tone(const QAudioFormat& format, int frequencyHz, int durationMs) {
    const int rate = format.sampleRate();
    const qint64 frames = qint64(rate) * durationMs / 1000;
    // A few milliseconds of fade at both ends keep the tone free of clicks.
    const qint64 fade = std::max<qint64>(1, rate / 200);
    QByteArray out;
    out.reserve(qsizetype(frames * format.bytesPerFrame()));
    for (qint64 i = 0; i < frames; ++i) {
        double gain = 0.5;
        gain *= std::min(1.0, double(std::min(i, frames - 1 - i)) / double(fade));
        const double v =
            gain * std::sin(2.0 * std::numbers::pi * frequencyHz * double(i) / double(rate));
        for (int c = 0; c < format.channelCount(); ++c) {
            AppendSample(out, format.sampleFormat(), v);
        }
    }
    return out;
}

}  // namespace

void SetSoundHook(SoundHook hook) {
    Hook() = hook;
}

bool PlaySoundFile(const QString& fileName) {
    if (Hook()) {
        return Hook()({fileName, 0, 0});
    }
    const QString path = LocateSoundFile(fileName);
    if (path.isEmpty() || OutputDevice().isNull()) {
        return false;
    }
    QSoundEffect* effect = Effect();
    if (!effect) {
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (effect->source() != url) {
        effect->setSource(url);
    }
    // Playing before the file has loaded starts it as soon as it has.
    effect->play();
    return true;
}

bool Beep(int frequencyHz, int durationMs) {
    if (Hook()) {
        return Hook()({QString(), frequencyHz, durationMs});
    }
    if (frequencyHz <= 0 || durationMs <= 0 || !QCoreApplication::instance()) {
        return false;
    }
    const QAudioDevice device = OutputDevice();
    if (device.isNull()) {
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        format = device.preferredFormat();
    }
    auto* buffer = new QBuffer(QCoreApplication::instance());
    buffer->setData(Tone(format, frequencyHz, durationMs));
    buffer->open(QIODevice::ReadOnly);
    // The sink belongs to its buffer; both go once the tone has run out.
    auto* sink = new QAudioSink(device, format, buffer);
    QObject::connect(sink, &QAudioSink::stateChanged, buffer, [buffer, sink](QAudio::State state) {
        if (state == QAudio::IdleState) {
            // Stopped before it goes: a sink deleted while idle can still be handed a write
            // request from the sound server after its stream has closed, and aborts on it.
            sink->stop();
        } else if (state == QAudio::StoppedState) {
            buffer->deleteLater();
        }
    });
    sink->start(buffer);
    return true;
}

}  // namespace platform
