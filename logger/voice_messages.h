// The recorded voice messages: two sets of nine wave files in voice/ beside
// the program's other files (F1.wav..F9.wav for Run, F1s.wav..F9s.wav for
// S/P) and the letters a call is spelled with (voice/letters/A.wav..Z.wav,
// 0.wav..9.wav, slash.wav). Wave files are read with every length checked
// against the file, so a broken or hostile header is refused with a reason.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace corvatta {

enum class VoiceSet { Run, SearchPounce };

constexpr int kVoiceMessages = 9;
// Every message is played and recorded at this rate, mono.
constexpr int kVoiceSampleRate = 48000;

// Mono 16-bit sound at a known rate.
struct VoiceClip {
    std::vector<qint16> samples;
    int sampleRate = kVoiceSampleRate;
    qint64 DurationMs() const {
        return sampleRate > 0 ? qint64(samples.size()) * 1000 / sampleRate : 0;
    }
};

// n is 1..9: ProgramDirectory() + "voice/F<n>.wav" or "voice/F<n>s.wav".
QString VoiceMessageFile(VoiceSet set, int n);
QString VoiceLettersDirectory();  // ProgramDirectory() + "voice/letters/"

// The file of one character of a call ("A.wav", "7.wav", "slash.wav"); empty
// for a character that has none.
QString VoiceLetterFile(QChar c);
// True when every letter, digit and the slash are recorded.
bool VoiceLettersComplete();

// Reads PCM wave data (8, 16, 24 or 32 bits, mono or stereo, 8-48 kHz),
// mixed to mono. Nothing, with the reason in *error, for anything else.
std::optional<VoiceClip> ParseWave(const QByteArray& bytes, QString* error);
std::optional<VoiceClip> ReadWaveFile(const QString& fileName, QString* error);
// The clip at another rate (linear interpolation: speech, not music).
VoiceClip Resampled(const VoiceClip& clip, int sampleRate);
// A 16-bit mono PCM wave file's bytes.
QByteArray WaveBytes(const VoiceClip& clip);

// The call letter by letter, each letter's clip one after the other at
// kVoiceSampleRate. Nothing when a letter is missing or unreadable.
std::optional<VoiceClip> SpellCall(const QString& call, QString* error);

}  // namespace corvatta
