// One practice session on one timeline: the built-in keyer, the band and
// its callers, the mixer and the optional recording. What the keyer keys is
// heard as sidetone and, once keyed, heard by the band; what the band's
// stations send is mixed in. The sound is rendered in blocks on request and
// the rendered samples are the session's time: a host byte that comes in
// while the sound is ahead of the clock counts at the sound's time, so the
// sidetone never starts in the past. Seeded: one seed and the same sending
// give the same session, sample for sample.
#pragma once

#include "practice/band_audio.h"
#include "practice/practice_band.h"
#include "practice/practice_settings.h"
#include "practice/verification.h"
#include "practice/virtual_keyer.h"
#include "practice/wav_writer.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace corvatta::practice {

struct SessionSetup {
    PracticeSettings settings;
    QString myCall;
    int operatorSpeed = 25;  // the operator's Speed, for the callers' range
    QVector<StationInfo> stations;
    std::uint64_t seed = 0;
    QDateTime start;  // UTC: the log's times are checked against it
    // Where "record to WAV" writes; empty, or settings.Record off: none.
    QString recordFile;
};

class PracticeSession : private KeyingListener {
  public:
    explicit PracticeSession(const SessionSetup& setup);
    ~PracticeSession() override;
    PracticeSession(const PracticeSession&) = delete;
    PracticeSession& operator=(const PracticeSession&) = delete;

    // The keyer the keyer link talks to (through a VirtualKeyerPort).
    VirtualKeyer& Keyer() { return keyer_; }
    // Seconds from the session's start, by the wall clock or the sound,
    // whichever is further on; the port's time source.
    double Now() const;
    // The wall clock, seconds since the start (a monotonic clock in the
    // product); without one the sound alone moves time.
    void SetClock(std::function<double()> clock) { clock_ = std::move(clock); }

    // The next `count` samples at 48 kHz mono, and the session moved on by
    // them; after the end only silence comes. Blocks of 50 ms at most: ESM's
    // next over has to reach the keyer before the band is moved 80 ms past
    // the keyer's idle, or the stations answer the call alone.
    void Render(float* out, int count);
    double RenderedSeconds() const { return double(mixer_.Position()) / kSampleRate; }
    double DurationSeconds() const { return duration_; }
    bool Finished() const { return finished_; }

    // "Record to WAV": false when the file could not be made or a write
    // failed; RecordingError() says why, and the session goes on silently
    // unrecorded.
    bool Recording() const { return wav_.IsOpen(); }
    const QString& RecordingError() const { return recordingError_; }

    // Every transmission of the band as it goes to the sound (a station's
    // call, exchange, CQ, a QRM station's signal).
    void SetTransmissionListener(std::function<void(const Transmission&)> listener) {
        onTransmission_ = std::move(listener);
    }

    // Called after each block: the keyer's port serves the replies the
    // block made due, so the host hears the keyer's idle while the band is
    // still waiting for ESM's next over, however far the sound runs ahead
    // of the clock.
    void SetRenderListener(std::function<void()> listener) { onRender_ = std::move(listener); }

    const std::vector<CallerRecord>& Records() const { return band_.Records(); }
    // The practice log against what the stations logged.
    Verification Verify(const std::vector<LoggedContact>& log) const;
    const SessionSetup& Setup() const { return setup_; }

  private:
    void KeyingStarted(double time) override;
    void Keyed(const KeyingSchedule& keying) override;
    void KeyingCut(double time) override;
    void KeyingEnded(const QString& text, double time) override;
    void Finish();

    SessionSetup setup_;
    double duration_ = 0;
    VirtualKeyer keyer_;
    PracticeBand band_;
    PracticeMixer mixer_;
    WavWriter wav_;
    QString recordingError_;
    std::int64_t lastFlush_ = 0;
    std::function<double()> clock_;
    std::function<void(const Transmission&)> onTransmission_;
    std::function<void()> onRender_;
    bool finished_ = false;
};

// The seed for a session: the stored one when it is a number, else a new
// one from the system's random source.
std::uint64_t SessionSeed(const PracticeSettings& settings);

}  // namespace corvatta::practice
