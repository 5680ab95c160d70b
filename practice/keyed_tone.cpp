#include "practice/keyed_tone.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace corvatta::practice {

namespace {

const std::array<float, kRampSamples + 1>& RampTable() {
    static const auto table = [] {
        std::array<float, kRampSamples + 1> t{};
        for (int i = 0; i <= kRampSamples; ++i) {
            t[i] = float(0.5 - 0.5 * std::cos(std::numbers::pi * i / kRampSamples));
        }
        return t;
    }();
    return table;
}

}  // namespace

std::int64_t SampleAt(double seconds) {
    if (seconds >= double(kSampleHeld) / kSampleRate) {
        return kSampleHeld;
    }
    return std::llround(seconds * kSampleRate);
}

float Fading::GainAt(std::int64_t sample) const {
    if (depth <= 0) {
        return 1;
    }
    const double t = double(sample) / kSampleRate;
    const double wave = 0.6 * std::sin(2 * std::numbers::pi * rate1Hz * t + phase1) +
                        0.4 * std::sin(2 * std::numbers::pi * rate2Hz * t + phase2);
    return float(1 - depth * (0.5 + 0.5 * wave));
}

void Envelope::Key(SampleSpan span) {
    if (span.up <= span.down) {
        return;
    }
    // Kept in order and without overlaps, so one look at the front tells
    // whether the key is down.
    auto at =
        std::upper_bound(spans_.begin(), spans_.end(), span,
                         [](const SampleSpan& a, const SampleSpan& b) { return a.down < b.down; });
    at = spans_.insert(at, span);
    if (at != spans_.begin() && std::prev(at)->up >= at->down) {
        std::prev(at)->up = std::max(std::prev(at)->up, at->up);
        at = std::prev(spans_.erase(at));
    }
    while (std::next(at) != spans_.end() && std::next(at)->down <= at->up) {
        at->up = std::max(at->up, std::next(at)->up);
        spans_.erase(std::next(at));
    }
}

void Envelope::Key(const KeyingSchedule& schedule) {
    for (const KeyElement& e : schedule.Elements()) {
        Key(SampleSpan{SampleAt(e.down), SampleAt(e.up)});
    }
}

void Envelope::CutAt(std::int64_t at) {
    std::erase_if(spans_, [&](const SampleSpan& s) { return s.down >= at; });
    for (SampleSpan& s : spans_) {
        s.up = std::min(s.up, at);
    }
}

bool Envelope::KeyIsDown(std::int64_t sample) {
    while (!spans_.empty() && spans_.front().up <= sample) {
        spans_.pop_front();
    }
    return !spans_.empty() && spans_.front().down <= sample;
}

bool Envelope::Silent(std::int64_t position) const {
    return ramp_ == 0 && (spans_.empty() || spans_.back().up <= position);
}

bool Envelope::Fill(float* levels, int count, std::int64_t position) {
    if (position != next_) {
        // A jump in time: the key is where its spans say, without a ramp.
        ramp_ = KeyIsDown(position) ? kRampSamples : 0;
    }
    next_ = position + count;
    const std::int64_t end = position + count;
    if (ramp_ == 0) {
        while (!spans_.empty() && spans_.front().up <= position) {
            spans_.pop_front();
        }
        if (spans_.empty() || spans_.front().down >= end) {
            return false;
        }
    }
    const auto& table = RampTable();
    for (int i = 0; i < count;) {
        const std::int64_t s = position + i;
        const bool down = KeyIsDown(s);
        if (down && ramp_ == kRampSamples) {
            // Steady key down up to the span's end.
            const int run = int(std::min<std::int64_t>(spans_.front().up, end) - s);
            std::fill(levels + i, levels + i + run, 1.0f);
            i += run;
            continue;
        }
        if (!down && ramp_ == 0) {
            const std::int64_t nextDown = spans_.empty() ? end : std::min(spans_.front().down, end);
            const int run = int(nextDown - s);
            std::fill(levels + i, levels + i + run, 0.0f);
            i += run;
            continue;
        }
        ramp_ += down ? 1 : -1;
        levels[i] = table[ramp_];
        ++i;
    }
    return true;
}

KeyedTone::KeyedTone(double pitchHz, float amplitude)
    : pitchHz_(pitchHz),
      stepCos_(std::cos(2 * std::numbers::pi * pitchHz / kSampleRate)),
      stepSin_(std::sin(2 * std::numbers::pi * pitchHz / kSampleRate)),
      amplitude_(amplitude) {}

void KeyedTone::Render(float* out, int count, std::int64_t position, const Fading* fading) {
    levels_.resize(size_t(count));
    if (!envelope_.Fill(levels_.data(), count, position)) {
        return;
    }
    if (position != next_) {
        // The phase is a matter of the time alone: a block after silent
        // ones, or of another size, starts where one long block would be.
        // Whole seconds and the rest apart, so hours of samples keep the
        // phase exact.
        const std::int64_t seconds = position / kSampleRate;
        const double cycles = std::fmod(double(seconds) * pitchHz_, 1.0) +
                              double(position % kSampleRate) * pitchHz_ / kSampleRate;
        cos_ = std::cos(2 * std::numbers::pi * cycles);
        sin_ = std::sin(2 * std::numbers::pi * cycles);
    }
    next_ = position + count;
    const auto gainAt = [&](std::int64_t control) {
        if (control != fadingAt_) {
            fadingAt_ = control;
            fadingGain_ = fading ? fading->GainAt(control) : 1.0f;
        }
        return fadingGain_;
    };
    for (int i = 0; i < count;) {
        const std::int64_t s = position + i;
        const std::int64_t control = s - s % kControlSamples;
        const int chunk = int(std::min<std::int64_t>(count - i, control + kControlSamples - s));
        // Fading between two control points, linearly.
        const float g0 = gainAt(control);
        const float g1 = gainAt(control + kControlSamples);
        const float slope = (g1 - g0) / kControlSamples;
        float g = g0 + slope * float(s - control);
        double c = cos_, si = sin_;
        for (int j = i; j < i + chunk; ++j) {
            out[j] += amplitude_ * g * levels_[size_t(j)] * float(si);
            const double nc = c * stepCos_ - si * stepSin_;
            si = si * stepCos_ + c * stepSin_;
            c = nc;
            g += slope;
        }
        // Keeps the oscillator on its circle at the control points only, so
        // the block sizes do not show in the sound; the error of 64 turns is
        // tiny, and one step of the correction is enough.
        if ((s + chunk) % kControlSamples == 0) {
            const double k = 1.5 - 0.5 * (c * c + si * si);
            c *= k;
            si *= k;
        }
        cos_ = c;
        sin_ = si;
        i += chunk;
    }
}

}  // namespace corvatta::practice
