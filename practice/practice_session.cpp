#include "practice/practice_session.h"

#include <QRandomGenerator>
#include <algorithm>

namespace corvatta::practice {

namespace {

// The recording's header is brought up to date this often, so a session cut
// off by a crash leaves a file that plays up to a second before it.
constexpr std::int64_t kFlushSamples = kSampleRate;

// The band and the sound each get a seed of their own from the session's,
// so that neither draws from the other's sequence.
std::uint64_t SplitSeed(std::uint64_t seed, std::uint64_t stream) {
    std::uint64_t z = seed + stream * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

std::uint64_t SessionSeed(const PracticeSettings& settings) {
    bool ok = false;
    const std::uint64_t stored = settings.Seed.trimmed().toULongLong(&ok);
    return ok ? stored : QRandomGenerator::system()->generate64();
}

PracticeSession::PracticeSession(const SessionSetup& setup)
    : setup_(setup),
      duration_(setup.settings.Minutes * 60.0),
      band_(MakeBandSettings(setup.settings, setup.myCall, setup.operatorSpeed), setup.stations,
            SplitSeed(setup.seed, 1)),
      mixer_(MakeReceiverSettings(setup.settings), MakeMixerSettings(setup.settings),
             SplitSeed(setup.seed, 2)) {
    keyer_.SetListener(this);
    if (setup.settings.Record && !setup.recordFile.isEmpty() &&
        !wav_.Open(setup.recordFile, kSampleRate)) {
        recordingError_ = wav_.Error();
    }
}

PracticeSession::~PracticeSession() {
    keyer_.SetListener(nullptr);
    wav_.Close();
}

double PracticeSession::Now() const {
    return std::max(clock_ ? clock_() : 0.0, RenderedSeconds());
}

void PracticeSession::Render(float* out, int count) {
    if (finished_ || count <= 0) {
        std::fill(out, out + std::max(count, 0), 0.0f);
        return;
    }
    const double end = double(mixer_.Position() + count) / kSampleRate;
    // The keyer first: the band must hear the operator's keying before it
    // is moved past it, and the sidetone must be keyed before it sounds.
    keyer_.AdvanceTo(end);
    for (const Transmission& t : band_.Advance(end)) {
        mixer_.Band().AddTransmission(t);
        if (onTransmission_) {
            onTransmission_(t);
        }
    }
    mixer_.Render(out, count);
    if (wav_.IsOpen()) {
        if (!wav_.Write(out, count)) {
            recordingError_ = wav_.Error();
        } else if (mixer_.Position() - lastFlush_ >= kFlushSamples) {
            lastFlush_ = mixer_.Position();
            if (!wav_.Flush()) {
                recordingError_ = wav_.Error();
            }
        }
    }
    if (RenderedSeconds() >= duration_) {
        Finish();
    }
    if (onRender_) {
        onRender_();
    }
}

void PracticeSession::Finish() {
    finished_ = true;
    if (wav_.IsOpen() && !wav_.Close()) {
        recordingError_ = wav_.Error();
    }
}

Verification PracticeSession::Verify(const std::vector<LoggedContact>& log) const {
    return VerifyLog(log, band_.Records(), setup_.start);
}

void PracticeSession::KeyingStarted(double time) {
    band_.OperatorSending(time);
}

void PracticeSession::Keyed(const KeyingSchedule& keying) {
    mixer_.AddOwnKeying(keying);
}

void PracticeSession::KeyingCut(double time) {
    mixer_.CutOwnKeying(time);
}

void PracticeSession::KeyingEnded(const QString& text, double time) {
    band_.OperatorSent(text, time);
}

}  // namespace corvatta::practice
