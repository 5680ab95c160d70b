// The simulated band: Slovenian stations that call the operator in a pile-up
// (or, in S/P practice, call CQ one at a time), each with its own speed,
// pitch, strength, fading, reaction time and patience, reacting to what the
// operator's keyer actually sent. Seeded: one seed and the same sending give
// the same session. Each station also keeps what it logged of its contact,
// the truth the operator's log is checked against.
#pragma once

#include "practice/band_audio.h"

#include <QString>
#include <QVector>
#include <cstdint>
#include <random>
#include <vector>

namespace corvatta::practice {

// A station that may come on the band: its call and its two-digit year.
struct StationInfo {
    QString call;
    QString year;
};

enum class PracticeStyle {
    Pileup,        // Run: several callers at once
    SingleCaller,  // Run: one caller at a time
    SearchPounce,  // S/P: one station at a time calls CQ
};

struct BandSettings {
    PracticeStyle style = PracticeStyle::Pileup;
    int activity = 3;  // how many stations call at once, 1..9
    int minWpm = 20, maxWpm = 28;
    double pitchHz = 600;
    double bandwidthHz = 500;
    bool qsb = false;
    bool qrm = false;
    bool lids = false;
    QString myCall;  // never a caller; the S/P station answers it
};

// One station's side of a contact, as it ended (or as it stands).
struct CallerRecord {
    QString call;  // the station's real call and year
    QString year;
    // Run: the operator sent the station's call right. S/P: the station
    // heard the operator's call.
    bool heardOwnCall = false;
    // Run: the operator closed with "TU". S/P: the operator sent the
    // exchange.
    bool gotClosing = false;
    // The station has the operator in its log.
    bool logged = false;
    QString sentCall;   // the call the operator last sent it
    QString heardYear;  // the operator's year as it heard it ("" when none)
    double time = 0;    // seconds from the start: the contact's last over
};

class PracticeBand {
  public:
    // The operator's own call is taken out of `stations`, as are repeats.
    PracticeBand(const BandSettings& settings, const QVector<StationInfo>& stations,
                 std::uint64_t seed);

    // The operator's keyer started keying: stations that have not started
    // their reply yet hold it (they heard the operator come back).
    void OperatorSending(double seconds);
    // What the keyer keyed, as its echo gives it, and when the keying
    // ended. Parts of one over (the call, then the exchange a moment later)
    // are heard together: the stations react a little after the keyer has
    // stayed quiet.
    void OperatorSent(const QString& text, double endSeconds);

    // Moves the band's time on; returns the transmissions that start before
    // `now` (to be handed to the sound), in order of start. Tell the band
    // what the operator keyed before moving past it: all times are on one
    // clock, the keyer's and the sound's, and an over counts as ended 80 ms
    // after its keying unless more keying follows; the replies start 0.1 s
    // or more after it, so whatever the steps, a reply is handed out before
    // the sound has passed its start.
    std::vector<Transmission> Advance(double now);

    // Every contact a station had with the operator: finished, abandoned
    // and still open.
    const std::vector<CallerRecord>& Records() const { return records_; }
    // How many stations are on the band now (calling, being worked or
    // calling CQ).
    int StationsOnBand() const;

  private:
    enum class State { Off, Waiting, Worked, Done, Gone, CallingCq };
    struct Caller {
        StationInfo info;
        State state = State::Off;
        int wpm = 20;
        double pitchHz = 600;
        float amplitude = 0.3f;
        Fading fading;
        double reaction = 0.3;
        int patience = 4;   // CQs it still waits through
        int exchanges = 0;  // overs with the operator that got nowhere
        bool lid = false;
        bool cutZeroAsO = false;
        bool cutNumbers = false;
        int record = -1;  // its open contact, or -1
        double busyUntil = 0;
        int cqsLeft = 0;  // S/P: CQs before it gives up
    };
    struct Pending {
        int caller;
        Transmission transmission;
    };
    struct Over {
        bool cq = false, tu = false, repeat = false, exchange = false;
        bool myCall = false;  // the operator's own call (S/P: answering a CQ)
        QString year;
        QStringList calls;
    };

    Over Parse(const QString& text) const;
    void ReactRun(const Over& over, double end);
    void ReactSearchPounce(const Over& over, double end);
    void AnswerCq(double end);
    bool WorkCall(const QString& call, const Over& over, double end);
    // A reply: after the caller's reaction time from the end of the over.
    void Send(int caller, const QString& text, double overEnd);
    void Transmit(int caller, const QString& text, double start);
    void SendCq(int caller, double at);
    QString Exchange(const Caller& c);
    CallerRecord& OpenRecord(int caller, double time);
    void Leave(int caller, State state);
    int Arrive(double time);
    double FreePitch();
    void MaybeQrm(double now);
    double Uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random_);
    }
    bool Chance(double p) { return Uniform(0, 1) < p; }

    BandSettings settings_;
    std::vector<Caller> callers_;
    std::vector<int> unused_;  // stations not yet on the band
    std::vector<CallerRecord> records_;
    std::vector<Pending> pending_;
    std::mt19937_64 random_;
    QString over_;
    double overEnd_ = -1;  // when the operator's keying ended; < 0 when reacted to
    double sendingSince_ = -1;
    int active_ = -1;         // the caller being worked (Run) or calling CQ (S/P)
    double nextStation_ = 0;  // S/P: when the next station comes on
    double nextQrm_ = 0;
    int qrmCount_ = 0;
    double now_ = 0;
};

}  // namespace corvatta::practice
