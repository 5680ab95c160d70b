#include "logger/voice_messages.h"

#include "platform/program_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace corvatta {

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatExtensible = 0xFFFE;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 48000;
// Ten minutes of stereo 32-bit sound at the highest rate: no message is
// longer, and a file claiming more is not read into memory.
constexpr qint64 kMaxWaveBytes = qint64(10) * 60 * kMaxRate * 2 * 4;

quint16 U16(const char* p) {
    return qFromLittleEndian<quint16>(static_cast<const void*>(p));
}
quint32 U32(const char* p) {
    return qFromLittleEndian<quint32>(static_cast<const void*>(p));
}

// One sample of `bytes` bytes as a value in the range of 16 bits.
int SampleAt(const char* p, int bytes) {
    switch (bytes) {
        case 1:
            return (static_cast<quint8>(p[0]) - 128) * 256;
        case 2:
            return qint16(U16(p));
        case 3:
            return static_cast<qint8>(p[2]) * 256 + static_cast<quint8>(p[1]);
        default:
            return qint16(U16(p + 2));
    }
}

QString Broken(const QString& what) {
    return QStringLiteral("Datoteka ni uporaben zvočni posnetek: %1.").arg(what);
}

}  // namespace

QString VoiceMessageFile(VoiceSet set, int n) {
    return platform::ProgramDirectory() +
           QStringLiteral("voice/F%1%2.wav").arg(n).arg(set == VoiceSet::Run ? "" : "s");
}

QString VoiceLettersDirectory() {
    return platform::ProgramDirectory() + QStringLiteral("voice/letters/");
}

QString VoiceLetterFile(QChar c) {
    c = c.toUpper();
    if (c == u'/') {
        return QStringLiteral("slash.wav");
    }
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
        return QString(c) + QStringLiteral(".wav");
    }
    return {};
}

bool VoiceLettersComplete() {
    const QString dir = VoiceLettersDirectory();
    QString all = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/");
    return std::all_of(all.begin(), all.end(),
                       [&](QChar c) { return QFileInfo(dir + VoiceLetterFile(c)).isFile(); });
}

std::optional<VoiceClip> ParseWave(const QByteArray& bytes, QString* error) {
    const char* data = bytes.constData();
    const qint64 size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        *error = Broken(QStringLiteral("ni datoteka WAV"));
        return std::nullopt;
    }
    int channels = 0, rate = 0, bits = 0, blockAlign = 0;
    const char* samples = nullptr;
    qint64 sampleBytes = 0;
    // Chunks are walked by their stated sizes, each checked against what is
    // left, so no size in the header can lead a read past the end.
    for (qint64 at = 12; at + 8 <= size;) {
        const qint64 chunk = U32(data + at + 4);
        const qint64 body = at + 8;
        const qint64 left = size - body;
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            if (chunk < 16 || chunk > left) {
                *error = Broken(QStringLiteral("okvarjen opis zapisa"));
                return std::nullopt;
            }
            quint16 format = U16(data + body);
            if (format == kFormatExtensible && chunk >= 40) {
                format = U16(data + body + 24);
            }
            if (format != kFormatPcm) {
                *error = Broken(QStringLiteral("zapis ni PCM"));
                return std::nullopt;
            }
            channels = U16(data + body + 2);
            rate = int(std::min<quint32>(U32(data + body + 4), 1u << 30));
            blockAlign = U16(data + body + 12);
            bits = U16(data + body + 14);
        } else if (std::memcmp(data + at, "data", 4) == 0) {
            samples = data + body;
            // A recorder stopped short leaves a size larger than the file:
            // what is there is played.
            sampleBytes = std::min(chunk, left);
            break;
        }
        at = body + chunk + (chunk & 1);
    }
    if (channels < 1 || channels > 2) {
        *error = Broken(QStringLiteral("ni mono ali stereo"));
        return std::nullopt;
    }
    if (rate < kMinRate || rate > kMaxRate) {
        *error = Broken(QStringLiteral("frekvenca vzorčenja ni med 8 in 48 kHz"));
        return std::nullopt;
    }
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        blockAlign != channels * bits / 8) {
        *error = Broken(QStringLiteral("nepodprta velikost vzorca"));
        return std::nullopt;
    }
    if (!samples) {
        *error = Broken(QStringLiteral("ni zvočnih podatkov"));
        return std::nullopt;
    }
    VoiceClip clip;
    clip.sampleRate = rate;
    const qint64 frames = sampleBytes / blockAlign;
    const int width = bits / 8;
    clip.samples.resize(size_t(frames));
    for (qint64 i = 0; i < frames; ++i) {
        const char* frame = samples + i * blockAlign;
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum += SampleAt(frame + c * width, width);
        }
        clip.samples[size_t(i)] = qint16(sum / channels);
    }
    return clip;
}

std::optional<VoiceClip> ReadWaveFile(const QString& fileName, QString* error) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(), file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxWaveBytes) {
        *error = QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                              Broken(QStringLiteral("predolg posnetek")));
        return std::nullopt;
    }
    std::optional<VoiceClip> clip = ParseWave(file.readAll(), error);
    if (!clip) {
        *error = QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(), *error);
    }
    return clip;
}

VoiceClip Resampled(const VoiceClip& clip, int sampleRate) {
    if (clip.sampleRate == sampleRate || clip.samples.empty()) {
        return VoiceClip{clip.samples, sampleRate};
    }
    VoiceClip out;
    out.sampleRate = sampleRate;
    const size_t n = clip.samples.size();
    const size_t frames = size_t(qint64(n) * sampleRate / clip.sampleRate);
    out.samples.resize(frames);
    const double step = double(clip.sampleRate) / sampleRate;
    for (size_t i = 0; i < frames; ++i) {
        const double pos = double(i) * step;
        const size_t a = std::min(size_t(pos), n - 1);
        const size_t b = std::min(a + 1, n - 1);
        const double f = pos - double(a);
        out.samples[i] = qint16(std::lround(clip.samples[a] * (1.0 - f) + clip.samples[b] * f));
    }
    return out;
}

QByteArray WaveBytes(const VoiceClip& clip) {
    const quint32 dataBytes = quint32(clip.samples.size() * sizeof(qint16));
    QByteArray out(44, '\0');
    char* h = out.data();
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian<quint32>(36 + dataBytes, h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, h + 16);
    qToLittleEndian<quint16>(kFormatPcm, h + 20);
    qToLittleEndian<quint16>(1, h + 22);
    qToLittleEndian<quint32>(quint32(clip.sampleRate), h + 24);
    qToLittleEndian<quint32>(quint32(clip.sampleRate) * 2, h + 28);
    qToLittleEndian<quint16>(2, h + 32);
    qToLittleEndian<quint16>(16, h + 34);
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(dataBytes, h + 40);
    for (qint16 s : clip.samples) {
        char le[2];
        qToLittleEndian<qint16>(s, le);
        out.append(le, 2);
    }
    return out;
}

std::optional<VoiceClip> SpellCall(const QString& call, QString* error) {
    VoiceClip spelled;
    for (QChar c : call) {
        const QString name = VoiceLetterFile(c);
        if (name.isEmpty()) {
            continue;
        }
        std::optional<VoiceClip> letter = ReadWaveFile(VoiceLettersDirectory() + name, error);
        if (!letter) {
            return std::nullopt;
        }
        const VoiceClip at = Resampled(*letter, kVoiceSampleRate);
        spelled.samples.insert(spelled.samples.end(), at.samples.begin(), at.samples.end());
    }
    return spelled;
}

}  // namespace corvatta
