// A keyed CW tone rendered block by block at 48 kHz: each element rises and
// falls along a raised cosine of about 5 ms, so the key makes no clicks, and
// the oscillator's phase runs on across blocks. The same envelope, without a
// tone, mutes the receiver while the operator keys.
#pragma once

#include "practice/cw_keying.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace corvatta::practice {

inline constexpr int kSampleRate = 48000;
// Rise and fall of every element, in samples (5 ms).
inline constexpr int kRampSamples = 240;
// The slow parts (fading, the oscillator's amplitude correction) are
// worked out at fixed points of this spacing, so the sound does not depend
// on the sizes of the blocks it is rendered in.
inline constexpr int kControlSamples = 64;

std::int64_t SampleAt(double seconds);

// Key down at `down`, up at `up`, in samples from the session's start.
struct SampleSpan {
    std::int64_t down = 0;
    std::int64_t up = 0;
};
inline constexpr std::int64_t kSampleHeld = INT64_MAX;

// The shaped key: 0 with the key up, 1 with it down, a raised cosine
// between. The level crosses one half kRampSamples / 2 after each key
// change, so the element keeps its length.
class Envelope {
  public:
    void Key(SampleSpan span);
    void Key(const KeyingSchedule& schedule);
    // Clear buffer: the key goes up at `at` and nothing later is keyed.
    void CutAt(std::int64_t at);
    // Writes the levels of the samples from `position`; returns false (and
    // writes nothing) when all of them are 0.
    bool Fill(float* levels, int count, std::int64_t position);
    // True while nothing is keyed from `position` on and the last fall is over.
    bool Silent(std::int64_t position) const;

  private:
    bool KeyIsDown(std::int64_t sample);

    std::deque<SampleSpan> spans_;
    int ramp_ = 0;           // 0..kRampSamples
    std::int64_t next_ = 0;  // the sample the next Fill is expected to start at
};

// Slow fading of a signal's path (QSB): two slow waves, so the fades do not
// repeat in a plain rhythm; the gain stays within 1 - depth .. 1.
struct Fading {
    double depth = 0;
    double rate1Hz = 0.1, rate2Hz = 0.037;
    double phase1 = 0, phase2 = 0;
    float GainAt(std::int64_t sample) const;
};

// A tone at a pitch keyed by an envelope.
class KeyedTone {
  public:
    KeyedTone(double pitchHz, float amplitude);
    Envelope& Keying() { return envelope_; }
    // Adds the tone of the samples from `position` to `out`, faded by the
    // path's fading (none when null).
    void Render(float* out, int count, std::int64_t position, const Fading* fading);

  private:
    Envelope envelope_;
    double pitchHz_ = 0;
    double cos_ = 1, sin_ = 0;          // oscillator
    std::int64_t next_ = -1;            // the sample the oscillator stands at
    double stepCos_ = 1, stepSin_ = 0;  // one sample's turn
    float amplitude_ = 0;
    std::vector<float> levels_;
    std::int64_t fadingAt_ = -1;  // the control point whose gain is kept
    float fadingGain_ = 1;
};

}  // namespace corvatta::practice
