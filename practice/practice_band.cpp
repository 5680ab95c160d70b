#include "practice/practice_band.h"

#include "practice/call_match.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvatta::practice {

namespace {

// The keyer has to stay quiet this long before the stations take the over
// as ended: with ESM the exchange follows the call a few milliseconds after
// the keyer falls idle, and the stations hear both as one over.
constexpr double kOverSettles = 0.08;
constexpr double kMinReaction = 0.1, kMaxReaction = 0.6;
// Overs with the operator that get nowhere before a station gives up.
constexpr int kExchangePatience = 5;
// A station asked to repeat this often slows down by this much each time.
constexpr int kSlowDownAfter = 2;
constexpr int kSlowDownWpm = 3;
constexpr double kDropOutChance = 0.05;
constexpr double kMinPitchSeparation = 25;
constexpr int kMaxCallEdits = 2;
constexpr double kLidChance = 0.15;
// S/P: the pause between a station's CQs, and how long it waits for the
// operator's exchange before calling CQ again.
constexpr double kCqPause = 2.5;
constexpr double kExchangeWait = 10;
constexpr double kQrmMeanInterval = 40;
constexpr int kQrmStationBase = 100000;

bool IsReport(const QString& t) {
    return t.size() == 3 && t.at(0) == u'5' && (t.at(1) == u'9' || t.at(1) == u'N') &&
           (t.at(2) == u'9' || t.at(2) == u'N');
}

// A two-character year, digits or the letters cut numbers use.
bool IsYear(const QString& t) {
    static const QString kCut = QStringLiteral("TOANEU");
    return t.size() == 2 &&
           std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit() || kCut.contains(c); });
}

QString DecodeYear(QString t) {
    t.replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
    t.replace(u'A', u'1').replace(u'U', u'2').replace(u'E', u'5');
    return t;
}

bool IsCallLike(const QString& t) {
    static const QRegularExpression kCall(QStringLiteral("^[A-Z0-9/?]{3,}$"));
    return kCall.match(t).hasMatch() &&
           std::any_of(t.begin(), t.end(), [](QChar c) { return c.isLetter() || c == u'?'; });
}

QString CutYear(const QString& year, bool cut, bool zeroAsO) {
    if (!cut) {
        return year;
    }
    QString y = year;
    return y.replace(u'0', zeroAsO ? u'O' : u'T').replace(u'9', u'N');
}

}  // namespace

PracticeBand::PracticeBand(const BandSettings& settings, const QVector<StationInfo>& stations,
                           std::uint64_t seed)
    : settings_(settings), random_(seed) {
    settings_.activity = std::clamp(settings_.activity, 1, 9);
    settings_.minWpm = std::clamp(settings_.minWpm, kMinWpm, kMaxWpm);
    settings_.maxWpm = std::clamp(settings_.maxWpm, settings_.minWpm, kMaxWpm);
    settings_.myCall = settings_.myCall.trimmed().toUpper();
    QStringList seen;
    for (const StationInfo& s : stations) {
        const QString call = s.call.trimmed().toUpper();
        if (call.isEmpty() || call == settings_.myCall || seen.contains(call)) {
            continue;
        }
        seen << call;
        Caller c;
        c.info = {call, s.year.trimmed()};
        unused_.push_back(int(callers_.size()));
        callers_.push_back(c);
    }
}

int PracticeBand::StationsOnBand() const {
    return int(std::count_if(callers_.begin(), callers_.end(), [](const Caller& c) {
        return c.state == State::Waiting || c.state == State::Worked || c.state == State::CallingCq;
    }));
}

void PracticeBand::OperatorSending(double seconds) {
    sendingSince_ = seconds;
    // Replies not yet handed out have not started: they are held back, and
    // the station is free again from where its reply would have begun.
    for (const Pending& p : pending_) {
        if (p.caller >= 0) {
            Caller& c = callers_[size_t(p.caller)];
            c.busyUntil = std::min(c.busyUntil, p.transmission.start - kMinReaction);
        }
    }
    std::erase_if(pending_, [](const Pending& p) { return p.caller >= 0; });
}

void PracticeBand::OperatorSent(const QString& text, double endSeconds) {
    if (sendingSince_ < 0) {
        OperatorSending(endSeconds);
    }
    over_ += text.toUpper() + u' ';
    overEnd_ = endSeconds;
    sendingSince_ = -1;
}

PracticeBand::Over PracticeBand::Parse(const QString& text) const {
    static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
    static const QStringList kCq = {"CQ", "QRZ", "QRZ?", "TEST"};
    static const QStringList kTu = {"TU", "TNX", "TKS"};
    static const QStringList kRepeat = {"?", "AGN", "AGN?", "NR?", "RPT"};
    static const QStringList kIgnored = {"DE", "QRL?", "PSE", "K"};
    Over over;
    const QStringList tokens = text.split(kBlanks, Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString& t = tokens.at(i);
        if (kCq.contains(t)) {
            over.cq = true;
        } else if (kTu.contains(t)) {
            over.tu = true;
        } else if (kRepeat.contains(t)) {
            over.repeat = true;
        } else if (kIgnored.contains(t)) {
            continue;
        } else if (IsReport(t)) {
            over.exchange = true;
            if (i + 1 < tokens.size() && IsYear(tokens.at(i + 1))) {
                over.year = DecodeYear(tokens.at(++i));
            }
        } else if (IsYear(t) &&
                   std::any_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); })) {
            over.exchange = true;  // the year without the report
            over.year = DecodeYear(t);
        } else if (t == settings_.myCall) {
            over.myCall = true;
        } else if (IsCallLike(t)) {
            over.calls << t;
        }
    }
    return over;
}

std::vector<Transmission> PracticeBand::Advance(double now) {
    now_ = now;
    if (overEnd_ >= 0 && sendingSince_ < 0 && now >= overEnd_ + kOverSettles) {
        const Over over = Parse(over_);
        const double end = overEnd_;
        over_.clear();
        overEnd_ = -1;
        if (settings_.style == PracticeStyle::SearchPounce) {
            ReactSearchPounce(over, end);
        } else {
            ReactRun(over, end);
        }
    }
    const bool quiet = overEnd_ < 0 && sendingSince_ < 0;
    if (settings_.style == PracticeStyle::SearchPounce && quiet) {
        const bool replying = std::any_of(pending_.begin(), pending_.end(),
                                          [&](const Pending& p) { return p.caller == active_; });
        // Each CQ starts when it is due, not when the band happens to be
        // moved on, so the session does not depend on how often that is.
        if (active_ < 0 && now > nextStation_) {
            active_ = Arrive(nextStation_);
            if (active_ < 0) {
                nextStation_ = kKeyHeld;  // every station has been on
            } else {
                callers_[size_t(active_)].state = State::CallingCq;
                callers_[size_t(active_)].cqsLeft = int(Uniform(3, 8));
                SendCq(active_, nextStation_);
            }
        } else if (active_ >= 0 && !replying) {
            Caller& s = callers_[size_t(active_)];
            const double due = s.busyUntil + kCqPause;
            if (s.state == State::CallingCq && now > due) {
                if (s.cqsLeft-- <= 0) {
                    Leave(active_, State::Gone);
                    nextStation_ = due + Uniform(1, 4);
                } else {
                    SendCq(active_, due);
                }
            } else if (s.state == State::Worked && now >= s.busyUntil + kExchangeWait) {
                s.state = State::CallingCq;  // the operator went quiet
            }
        }
    }
    MaybeQrm(now);

    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
        return a.transmission.start < b.transmission.start;
    });
    std::vector<Transmission> started;
    while (!pending_.empty() && pending_.front().transmission.start < now) {
        started.push_back(pending_.front().transmission);
        pending_.erase(pending_.begin());
    }
    return started;
}

void PracticeBand::ReactRun(const Over& over, double end) {
    if (active_ >= 0) {
        Caller& a = callers_[size_t(active_)];
        const bool toIt = over.calls.isEmpty() || over.calls.contains(a.info.call);
        if (!toIt) {
            // The operator went on to another call: this one is left
            // without its closing and calls again later.
            a.state = State::Waiting;
            active_ = -1;
        } else {
            CallerRecord& r = records_[size_t(a.record)];
            r.time = end;
            if (over.exchange && !over.year.isEmpty()) {
                r.heardYear = over.year;
            }
            if (over.calls.contains(a.info.call)) {
                // Its call right at last, after it took a wrong one for its own.
                r.heardOwnCall = true;
                r.sentCall = a.info.call;
            }
            if (over.tu) {
                r.gotClosing = true;
                r.logged = true;
                Leave(active_, State::Done);
                AnswerCq(end);
            } else if (over.repeat || over.exchange) {
                if (++a.exchanges > kExchangePatience) {
                    Leave(active_, State::Gone);
                    return;
                }
                if (a.exchanges >= kSlowDownAfter) {
                    a.wpm = std::max(kMinWpm, a.wpm - kSlowDownWpm);
                }
                Send(active_, Exchange(a), end);
            } else if (over.cq) {
                a.state = State::Waiting;
                active_ = -1;
                AnswerCq(end);
            }
            return;
        }
    }
    for (const QString& call : over.calls) {
        if (WorkCall(call, over, end)) {
            return;
        }
    }
    if (!over.calls.isEmpty()) {
        // Nobody's call exactly: the stations whose call is nearest repeat
        // it, so the operator can put it right; nobody near, silence.
        int best = kMaxCallEdits + 1;
        std::vector<std::pair<int, QString>> nearest;
        for (const QString& call : over.calls) {
            for (int i = 0; i < int(callers_.size()); ++i) {
                if (callers_[size_t(i)].state != State::Waiting) {
                    continue;
                }
                const int d = CallDistance(call, callers_[size_t(i)].info.call);
                if (d < best) {
                    best = d;
                    nearest.clear();
                }
                if (d == best) {
                    nearest.emplace_back(i, call);
                }
            }
        }
        for (const auto& [i, call] : nearest) {
            Caller& c = callers_[size_t(i)];
            CallerRecord& r = OpenRecord(i, end);
            r.sentCall = call;
            if (over.exchange && !over.year.isEmpty()) {
                r.heardYear = over.year;
            }
            if (++c.exchanges > kExchangePatience) {
                Leave(i, State::Gone);
                continue;
            }
            if (c.lid && nearest.size() == 1 && !call.contains(u'?') && Chance(0.3)) {
                // A careless station takes the wrong call for its own.
                c.state = State::Worked;
                active_ = i;
                Send(i, Exchange(c), end);
                return;
            }
            Send(i, Chance(0.5) ? "DE " + c.info.call : c.info.call + u' ' + c.info.call, end);
        }
        return;
    }
    // The own call alone is a QRZ as well.
    if (over.cq || over.tu || over.repeat || over.myCall) {
        AnswerCq(end);
    }
}

bool PracticeBand::WorkCall(const QString& call, const Over& over, double end) {
    for (int i = 0; i < int(callers_.size()); ++i) {
        Caller& c = callers_[size_t(i)];
        if (c.state != State::Waiting || c.info.call != call) {
            continue;
        }
        CallerRecord& r = OpenRecord(i, end);
        r.heardOwnCall = true;
        r.sentCall = call;
        if (over.exchange && !over.year.isEmpty()) {
            r.heardYear = over.year;
        }
        if (over.tu) {
            // Its call put right in the closing ("S59XYZ TU"): it logs.
            r.gotClosing = true;
            r.logged = true;
            c.state = State::Done;
            AnswerCq(end);
            return true;
        }
        c.state = State::Worked;
        active_ = i;
        Send(i, Exchange(c), end);
        for (int j = 0; j < int(callers_.size()); ++j) {
            Caller& other = callers_[size_t(j)];
            if (j != i && other.state == State::Waiting && other.lid && Chance(0.3)) {
                Send(j, other.info.call, end);  // out of turn
            }
        }
        return true;
    }
    return false;
}

void PracticeBand::AnswerCq(double end) {
    for (int i = 0; i < int(callers_.size()); ++i) {
        Caller& c = callers_[size_t(i)];
        if (c.state == State::Waiting && (--c.patience < 0 || Chance(kDropOutChance))) {
            Leave(i, State::Gone);
        }
    }
    const int target = settings_.style == PracticeStyle::SingleCaller ? 1 : settings_.activity;
    std::vector<int> waiting;
    for (int i = 0; i < int(callers_.size()); ++i) {
        if (callers_[size_t(i)].state == State::Waiting) {
            waiting.push_back(i);
        }
    }
    while (int(waiting.size()) < target &&
           (int(waiting.size()) < (target + 1) / 2 || Chance(0.5))) {
        const int i = Arrive(end);
        if (i < 0) {
            break;
        }
        waiting.push_back(i);
    }
    if (waiting.empty()) {
        return;
    }
    std::shuffle(waiting.begin(), waiting.end(), random_);
    int answering = 1;
    if (settings_.style == PracticeStyle::Pileup) {
        answering = int(std::lround(settings_.activity / 2.0 + Uniform(-1, 1)));
    }
    answering = std::clamp(answering, 1, int(waiting.size()));
    for (int k = 0; k < answering; ++k) {
        const Caller& c = callers_[size_t(waiting[size_t(k)])];
        Send(waiting[size_t(k)], Chance(0.3) ? c.info.call + u' ' + c.info.call : c.info.call, end);
    }
}

void PracticeBand::ReactSearchPounce(const Over& over, double end) {
    if (active_ < 0) {
        return;
    }
    Caller& s = callers_[size_t(active_)];
    if (s.state == State::CallingCq) {
        if (!over.myCall) {
            return;
        }
        CallerRecord& r = OpenRecord(active_, end);
        r.heardOwnCall = true;
        r.sentCall = s.info.call;
        const QString reply = (Chance(0.7) ? settings_.myCall + u' ' : QString()) + Exchange(s);
        if (over.exchange) {
            // Call and exchange in one over: it answers and closes at once.
            r.heardYear = over.year;
            r.gotClosing = r.logged = true;
            Send(active_, reply + " TU", end);
            Leave(active_, State::Done);
            nextStation_ = s.busyUntil + Uniform(2, 6);
            return;
        }
        s.state = State::Worked;
        Send(active_, reply, end);
        return;
    }
    if (s.state != State::Worked) {
        return;
    }
    CallerRecord& r = records_[size_t(s.record)];
    r.time = end;
    if (over.exchange) {
        r.heardYear = over.year;
        r.gotClosing = true;
        r.logged = true;
        Send(active_, Chance(0.5) ? QStringLiteral("TU") : "TU " + s.info.call, end);
        nextStation_ = s.busyUntil + Uniform(2, 6);
        Leave(active_, State::Done);
    } else if (over.repeat || over.myCall) {
        if (++s.exchanges > kExchangePatience) {
            Leave(active_, State::Gone);
            nextStation_ = s.busyUntil + Uniform(1, 4);
            return;
        }
        Send(active_, (over.myCall ? settings_.myCall + u' ' : QString()) + Exchange(s), end);
    }
}

QString PracticeBand::Exchange(const Caller& c) {
    const QString year = CutYear(c.info.year, c.cutNumbers, c.cutZeroAsO);
    const QString report = c.cutNumbers ? QStringLiteral("5NN") : QStringLiteral("599");
    if (c.exchanges > 0) {
        return Chance(0.5) ? year + u' ' + year : report + u' ' + year + u' ' + year;
    }
    if (c.lid && Chance(0.25) && !c.info.year.isEmpty()) {
        // A wrong last digit, then the right year.
        QString wrong = c.info.year;
        const int last = wrong.back().digitValue();
        wrong.back() = QChar(u'0' + (last < 0 ? 1 : (last + 1) % 10));
        return report + u' ' + CutYear(wrong, c.cutNumbers, c.cutZeroAsO) + u' ' + year;
    }
    if (c.lid && Chance(0.25)) {
        return report + u' ' + year + u' ' + report + u' ' + year;
    }
    return report + u' ' + year;
}

void PracticeBand::Send(int caller, const QString& text, double overEnd) {
    Caller& c = callers_[size_t(caller)];
    const double reaction =
        std::clamp(c.reaction + Uniform(-0.05, 0.05), kMinReaction, kMaxReaction);
    Transmit(caller, text, std::max(overEnd + reaction, c.busyUntil + kMinReaction));
}

void PracticeBand::Transmit(int caller, const QString& text, double start) {
    Caller& c = callers_[size_t(caller)];
    KeyingSchedule schedule(c.wpm, start);
    schedule.AddText(text);
    Transmission t;
    t.station = caller;
    t.text = text;
    t.wpm = c.wpm;
    t.pitchHz = c.pitchHz;
    t.amplitude = c.amplitude;
    t.start = start;
    t.end = schedule.LastKeyUp();
    t.fading = c.fading;
    c.busyUntil = t.end;
    pending_.push_back({caller, t});
}

void PracticeBand::SendCq(int caller, double at) {
    const QString& call = callers_[size_t(caller)].info.call;
    const int form = int(Uniform(0, 3));
    const QString text = form == 0   ? "CQ TEST " + call
                         : form == 1 ? "CQ " + call + u' ' + call
                                     : "TEST " + call + u' ' + call;
    Transmit(caller, text, at);
}

CallerRecord& PracticeBand::OpenRecord(int caller, double time) {
    Caller& c = callers_[size_t(caller)];
    if (c.record < 0 || records_[size_t(c.record)].logged) {
        c.record = int(records_.size());
        CallerRecord fresh;
        fresh.call = c.info.call;
        fresh.year = c.info.year;
        records_.push_back(fresh);
    }
    CallerRecord& r = records_[size_t(c.record)];
    r.time = time;
    return r;
}

void PracticeBand::Leave(int caller, State state) {
    callers_[size_t(caller)].state = state;
    if (active_ == caller) {
        active_ = -1;
    }
}

int PracticeBand::Arrive(double time) {
    if (unused_.empty()) {
        // Every station has been on: those that left unworked come back.
        for (int i = 0; i < int(callers_.size()); ++i) {
            if (callers_[size_t(i)].state == State::Gone) {
                callers_[size_t(i)].exchanges = 0;
                unused_.push_back(i);
            }
        }
        if (unused_.empty()) {
            return -1;
        }
    }
    const auto pick = size_t(Uniform(0, double(unused_.size())));
    const int i = unused_[std::min(pick, unused_.size() - 1)];
    unused_.erase(unused_.begin() + std::ptrdiff_t(std::min(pick, unused_.size() - 1)));
    Caller& c = callers_[size_t(i)];
    c.state = State::Waiting;
    c.wpm = int(std::floor(Uniform(settings_.minWpm, settings_.maxWpm + 1)));
    c.wpm = std::min(c.wpm, settings_.maxWpm);
    c.pitchHz = FreePitch();
    c.amplitude = float(0.06 * std::pow(0.45 / 0.06, Uniform(0, 1)));
    if (settings_.qsb) {
        c.fading.depth = Uniform(0.3, 0.9);
        c.fading.rate1Hz = Uniform(0.05, 0.2);
        c.fading.rate2Hz = Uniform(0.02, 0.08);
        c.fading.phase1 = Uniform(0, 2 * std::numbers::pi);
        c.fading.phase2 = Uniform(0, 2 * std::numbers::pi);
    }
    c.reaction = Uniform(kMinReaction, kMaxReaction);
    c.patience = int(Uniform(2, 6));
    c.lid = settings_.lids && Chance(kLidChance);
    c.cutNumbers = Chance(0.6);
    c.cutZeroAsO = Chance(0.3);
    c.busyUntil = time;
    return i;
}

double PracticeBand::FreePitch() {
    // Spread round the pitch, most inside the receive bandwidth; of a few
    // tries the first far enough from every station on the band, else the
    // one farthest from its nearest, so no two share a pitch.
    std::normal_distribution<double> spread(0, settings_.bandwidthHz / 4);
    double best = settings_.pitchHz, bestGap = -1;
    for (int attempt = 0; attempt < 40; ++attempt) {
        const double limit = 0.7 * settings_.bandwidthHz;
        const double pitch = settings_.pitchHz + std::clamp(spread(random_), -limit, limit);
        double gap = 1e9;
        for (const Caller& c : callers_) {
            if (c.state == State::Waiting || c.state == State::Worked ||
                c.state == State::CallingCq) {
                gap = std::min(gap, std::fabs(c.pitchHz - pitch));
            }
        }
        if (gap >= kMinPitchSeparation) {
            return pitch;
        }
        if (gap > bestGap) {
            best = pitch;
            bestGap = gap;
        }
    }
    return best;
}

void PracticeBand::MaybeQrm(double now) {
    if (!settings_.qrm) {
        return;
    }
    if (nextQrm_ <= 0) {
        nextQrm_ = Uniform(10, kQrmMeanInterval);
    }
    while (now >= nextQrm_) {
        // A station from elsewhere that does not hear the operator: a made-up
        // call that is never Slovenian, so it is never in the log.
        static const char* const kPrefixes[] = {"DL", "OK", "OE", "9A", "HA", "OM", "SP",
                                                "I",  "F",  "G",  "PA", "ON", "YU", "E7"};
        QString call = QString::fromLatin1(kPrefixes[int(Uniform(0, 14)) % 14]);
        call += QChar(u'0' + int(Uniform(1, 10)) % 10);
        const int letters = int(Uniform(2, 4));
        for (int k = 0; k < letters; ++k) {
            call += QChar(u'A' + int(Uniform(0, 26)) % 26);
        }
        const int form = int(Uniform(0, 4));
        const QString text = form == 0   ? "CQ CQ DE " + call + u' ' + call + " K"
                             : form == 1 ? QStringLiteral("QRL?")
                             : form == 2 ? "TEST " + call + u' ' + call
                                         : "VVV VVV DE " + call;
        Transmission t;
        t.station = kQrmStationBase + qrmCount_++;
        t.text = text;
        t.wpm = int(Uniform(16, 35));
        t.pitchHz = settings_.pitchHz + Uniform(-0.8, 0.8) * settings_.bandwidthHz;
        t.amplitude = float(0.05 * std::pow(7.0, Uniform(0, 1)));
        t.start = nextQrm_;
        KeyingSchedule schedule(t.wpm, t.start);
        schedule.AddText(text);
        t.end = schedule.LastKeyUp();
        pending_.push_back({-1, t});
        nextQrm_ = t.end - std::log(1 - Uniform(0, 1)) * kQrmMeanInterval;
    }
}

}  // namespace corvatta::practice
