#include "practice/band_audio.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace corvatta::practice {

namespace {

// The fourth-order Butterworth low-pass as two sections.
constexpr double kButterworthQ1 = 0.5411961, kButterworthQ2 = 1.3065630;

// Static crashes: how often, how loud (in noise units at the filter's input)
// and how long they ring.
constexpr double kCrashesPerSecond = 0.7;
constexpr double kCrashClusterChance = 0.35;
constexpr double kMinCrashLevel = 3, kMaxCrashLevel = 14;
constexpr double kMinCrashDecaySeconds = 0.008, kMaxCrashDecaySeconds = 0.07;

// The receiver comes back this long after the last element when sending
// without QSK.
constexpr double kSemiBreakInHangSeconds = 0.05;

// Above this the output is bent softly towards full scale, so a crash or a
// loud pile-up is not clipped hard into clicks.
constexpr float kSoftLimit = 0.7f;

float SoftLimit(float x) {
    const float a = std::fabs(x);
    if (a <= kSoftLimit) {
        return x;
    }
    const float bent =
        kSoftLimit + (1 - kSoftLimit) * std::tanh((a - kSoftLimit) / (1 - kSoftLimit));
    return x < 0 ? -bent : bent;
}

}  // namespace

LowPass::LowPass(double cutoffHz, double q) {
    const double w0 = 2 * std::numbers::pi * cutoffHz / kSampleRate;
    const double alpha = std::sin(w0) / (2 * q);
    const double a0 = 1 + alpha;
    b0 = float((1 - std::cos(w0)) / 2 / a0);
    a1 = float(-2 * std::cos(w0) / a0);
    a2 = float((1 - alpha) / a0);
}

double LowPass::Gain(double hz) const {
    const std::complex<double> zi = std::polar(1.0, -2 * std::numbers::pi * hz / kSampleRate);
    const auto h =
        double(b0) * (1.0 + zi) * (1.0 + zi) / (1.0 + double(a1) * zi + double(a2) * zi * zi);
    return std::abs(h);
}

BandNoise::BandNoise(const ReceiverSettings& settings, std::uint64_t seed)
    : i1_(std::max(settings.bandwidthHz, 50.0) / 2, kButterworthQ1),
      i2_(std::max(settings.bandwidthHz, 50.0) / 2, kButterworthQ2),
      q1_(i1_),
      q2_(i2_),
      pitchHz_(settings.pitchHz),
      stepCos_(std::cos(2 * std::numbers::pi * settings.pitchHz / kSampleRate)),
      stepSin_(std::sin(2 * std::numbers::pi * settings.pitchHz / kSampleRate)),
      state_(seed * 0x9E3779B97F4A7C15ULL | 1),
      qrn_(settings.qrn),
      crashRandom_(seed ^ 0xC3A5C85C97CB3127ULL) {
    // The input level that gives the wanted RMS at the output: the filter
    // pair's noise gain is the energy of its impulse response, and the two
    // noises a quarter turn apart add up to the power of one.
    LowPass a = i1_, b = i2_;
    double energy = 0;
    for (int i = 0; i < 2 * kSampleRate; ++i) {
        const double y = b.Step(a.Step(i == 0 ? 1.0f : 0.0f));
        energy += y * y;
    }
    const double uniformVariance = 1.0 / 3.0;
    noiseIn_ = float(settings.noiseLevel / std::sqrt(std::max(energy, 1e-12) * uniformVariance));
    NextCrash(0);
}

double BandNoise::FilterGain(double hz) const {
    const double offset = std::fabs(hz - pitchHz_);
    return i1_.Gain(offset) * i2_.Gain(offset);
}

void BandNoise::NextCrash(std::int64_t after) {
    std::uniform_real_distribution<double> unit(0, 1);
    double wait = -std::log(1 - unit(crashRandom_)) / kCrashesPerSecond;
    if (after > 0 && unit(crashRandom_) < kCrashClusterChance) {
        wait = 0.04 + 0.25 * unit(crashRandom_);  // crashes come in bursts
    }
    nextCrash_ = after + std::max<std::int64_t>(1, SampleAt(wait));
}

void BandNoise::Render(float* out, int count, std::int64_t position) {
    if (position != next_) {
        const double cycles = std::fmod(double(position / kSampleRate) * pitchHz_, 1.0) +
                              double(position % kSampleRate) * pitchHz_ / kSampleRate;
        cos_ = std::cos(2 * std::numbers::pi * cycles);
        sin_ = std::sin(2 * std::numbers::pi * cycles);
    }
    next_ = position + count;
    for (int i = 0; i < count; ++i) {
        float gain = noiseIn_;
        if (qrn_) {
            if (position + i >= nextCrash_) {
                std::uniform_real_distribution<double> unit(0, 1);
                const double level =
                    kMinCrashLevel * std::pow(kMaxCrashLevel / kMinCrashLevel, unit(crashRandom_));
                const double decay =
                    kMinCrashDecaySeconds +
                    (kMaxCrashDecaySeconds - kMinCrashDecaySeconds) * unit(crashRandom_);
                crash_ += float(level);
                crashDecay_ = float(std::exp(-1.0 / (decay * kSampleRate)));
                NextCrash(position + i);
            }
            if (crash_ > 1e-3f) {
                gain *= 1 + crash_;
                crash_ *= crashDecay_;
            }
        }
        const float inPhase = i2_.Step(i1_.Step(White() * gain));
        const float quadrature = q2_.Step(q1_.Step(White() * gain));
        out[i] = float(inPhase * cos_ - quadrature * sin_);
        const double c = cos_ * stepCos_ - sin_ * stepSin_;
        sin_ = sin_ * stepCos_ + cos_ * stepSin_;
        cos_ = c;
        if ((position + i + 1) % kControlSamples == 0) {
            const double k = 1.5 - 0.5 * (cos_ * cos_ + sin_ * sin_);
            cos_ *= k;
            sin_ *= k;
        }
    }
}

BandAudio::BandAudio(const ReceiverSettings& settings, std::uint64_t seed)
    : noise_(settings, seed) {}

void BandAudio::AddTransmission(const Transmission& t) {
    const int id = t.station >= 0 ? t.station : nextOwnSignal_--;
    auto& signal = signals_[id];
    if (!signal) {
        // Heard through the receive filter: a caller far off the pitch is
        // weaker, and one outside the passband fades out of hearing.
        signal =
            std::make_unique<Signal>(t.pitchHz, float(t.amplitude * noise_.FilterGain(t.pitchHz)));
        signal->fading = t.fading;
    }
    KeyingSchedule schedule(t.wpm, t.start);
    schedule.AddText(t.text);
    signal->tone.Keying().Key(schedule);
}

void BandAudio::Render(float* out, int count, std::int64_t position) {
    noise_.Render(out, count, position);
    for (auto it = signals_.begin(); it != signals_.end();) {
        Signal& s = *it->second;
        s.tone.Render(out, count, position, &s.fading);
        // A station with nothing more to send lets its signal go; its next
        // transmission starts a new one (the fading carries on, being a
        // matter of time alone).
        it = s.tone.Keying().Silent(position + count) ? signals_.erase(it) : std::next(it);
    }
}

PracticeMixer::PracticeMixer(const ReceiverSettings& receiver, const MixerSettings& mixer,
                             std::uint64_t seed)
    : settings_(mixer), band_(receiver, seed), sidetone_(mixer.sidetoneHz, mixer.sidetoneLevel) {}

void PracticeMixer::AddOwnKeying(const KeyingSchedule& schedule) {
    sidetone_.Keying().Key(schedule);
    if (settings_.qsk) {
        mute_.Key(schedule);
    } else if (!schedule.Elements().empty()) {
        mute_.Key(SampleSpan{SampleAt(schedule.Elements().front().down),
                             SampleAt(schedule.LastKeyUp() + kSemiBreakInHangSeconds)});
    }
}

void PracticeMixer::CutOwnKeying(double seconds) {
    const std::int64_t at = SampleAt(seconds);
    sidetone_.Keying().CutAt(at);
    mute_.CutAt(settings_.qsk ? at : SampleAt(seconds + kSemiBreakInHangSeconds));
}

void PracticeMixer::Render(float* out, int count) {
    bandBuffer_.resize(size_t(count));
    sidetoneBuffer_.assign(size_t(count), 0.0f);
    muteBuffer_.resize(size_t(count));
    band_.Render(bandBuffer_.data(), count, position_);
    sidetone_.Render(sidetoneBuffer_.data(), count, position_, nullptr);
    const bool muted = mute_.Fill(muteBuffer_.data(), count, position_);
    for (int i = 0; i < count; ++i) {
        const float receiver = muted ? 1.0f - muteBuffer_[size_t(i)] : 1.0f;
        out[i] = settings_.volume *
                 SoftLimit(bandBuffer_[size_t(i)] * receiver + sidetoneBuffer_[size_t(i)]);
    }
    position_ += count;
}

}  // namespace corvatta::practice
