// The sound of the practice band at 48 kHz mono: the callers' keyed tones,
// band noise through the receive filter, static crashes (QRN), each signal's
// slow fading (QSB), and the operator's sidetone mixed in with the receiver
// heard between the elements (QSK) or muted while sending. Rendered block by
// block; nothing here needs a sound card.
#pragma once

#include "practice/keyed_tone.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <random>

namespace corvatta::practice {

// One transmission of a station on the band.
struct Transmission {
    // The signal it belongs to: the station's oscillator and fading carry
    // on from one transmission to the next. Below 0: a signal of its own.
    int station = -1;
    QString text;
    int wpm = 20;
    double pitchHz = 600;
    float amplitude = 0.3f;
    double start = 0;  // seconds from the session's start
    double end = 0;    // when its keying ends
    Fading fading;
};

struct ReceiverSettings {
    double pitchHz = 600;
    double bandwidthHz = 500;
    float noiseLevel = 0.05f;  // RMS of the band noise at the output
    bool qrn = false;
};

// A two-pole low-pass section; two of them make the receive filter's
// fourth-order Butterworth shape.
struct LowPass {
    LowPass(double cutoffHz, double q);
    float Step(float x) {
        const float y = b0 * x + z1;
        z1 = 2 * b0 * x - a1 * y + z2;
        z2 = b0 * x - a2 * y;
        return y;
    }
    double Gain(double hz) const;

    float b0 = 0, a1 = 0, a2 = 0;
    float z1 = 0, z2 = 0;
};

// White noise and static crashes heard through the receive filter: noise
// made at the pitch from two low-passed noises a quarter turn apart, so the
// band is as wide as the bandwidth, flat inside and falling off steeply
// (24 dB at a bandwidth's distance from the pitch) for the cost of four
// filter sections.
class BandNoise {
  public:
    BandNoise(const ReceiverSettings& settings, std::uint64_t seed);
    void Render(float* out, int count, std::int64_t position);
    // The receive filter's gain for a signal at a pitch (1 at the centre).
    double FilterGain(double hz) const;

  private:
    float White() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return float(std::int32_t(state_ >> 32)) * (1.0f / 2147483648.0f);
    }
    void NextCrash(std::int64_t after);

    LowPass i1_, i2_, q1_, q2_;
    double pitchHz_ = 600;
    double cos_ = 1, sin_ = 0;  // the pitch's oscillator, for the sample at next_
    double stepCos_ = 1, stepSin_ = 0;
    std::int64_t next_ = -1;
    float noiseIn_ = 0;
    std::uint64_t state_;
    bool qrn_ = false;
    std::mt19937_64 crashRandom_;
    std::int64_t nextCrash_ = 0;
    float crash_ = 0;       // the crash's level now, in noise units
    float crashDecay_ = 1;  // per sample
};

// The receiver's output: every station's signal plus the noise.
class BandAudio {
  public:
    BandAudio(const ReceiverSettings& settings, std::uint64_t seed);
    void AddTransmission(const Transmission& transmission);
    // Writes the samples from `position` (successive calls continue).
    void Render(float* out, int count, std::int64_t position);
    int ActiveSignals() const { return int(signals_.size()); }

  private:
    struct Signal {
        Signal(double pitch, float amplitude) : tone(pitch, amplitude) {}
        KeyedTone tone;
        Fading fading;
    };
    BandNoise noise_;
    std::map<int, std::unique_ptr<Signal>> signals_;
    int nextOwnSignal_ = -1;
};

struct MixerSettings {
    bool qsk = true;
    float volume = 0.8f;  // 0..1
    double sidetoneHz = 600;
    float sidetoneLevel = 0.3f;
};

// The band and the operator's sidetone, as the operator hears them.
class PracticeMixer {
  public:
    PracticeMixer(const ReceiverSettings& receiver, const MixerSettings& mixer, std::uint64_t seed);
    BandAudio& Band() { return band_; }
    // What the operator's keyer keys: heard as sidetone, and it mutes the
    // receiver (only under the elements with QSK, for the whole message
    // without).
    void AddOwnKeying(const KeyingSchedule& schedule);
    // The keyer's buffer cleared: the sidetone stops at `seconds`.
    void CutOwnKeying(double seconds);
    // The next `count` samples.
    void Render(float* out, int count);
    std::int64_t Position() const { return position_; }

  private:
    MixerSettings settings_;
    BandAudio band_;
    KeyedTone sidetone_;
    Envelope mute_;
    std::vector<float> bandBuffer_, sidetoneBuffer_, muteBuffer_;
    std::int64_t position_ = 0;
};

}  // namespace corvatta::practice
