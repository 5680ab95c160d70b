#include "practice/verification.h"

#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/text_file.h"
#include "practice/call_match.h"

#include <QFileInfo>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace corvatta::practice {

namespace {

// How far apart in time a logged contact and a station's side of it may be
// for a busted call to be recognised: the log keeps whole minutes.
constexpr double kBustedCallWindowSeconds = 180;
constexpr int kMaxBustedCallEdits = 2;

const QString kHistoryHeader = QStringLiteral(
    "# Corvatta, vaja: datum;ura;trajanje (min);preverjene točke;prijavljene "
    "točke;zveze;pravilne;seme");

bool SameYear(const QString& logged, const QString& real) {
    bool a = false, b = false;
    const int x = logged.trimmed().toInt(&a);
    const int y = real.trimmed().toInt(&b);
    return a && b ? x == y : logged.trimmed() == real.trimmed();
}

QString Padded(const QString& text, int width) {
    return text.leftJustified(width, u' ');
}

}  // namespace

Verification VerifyLog(const std::vector<LoggedContact>& log,
                       const std::vector<CallerRecord>& truth, const QDateTime& sessionStart) {
    Verification result;
    std::vector<bool> used(truth.size(), false);
    std::vector<size_t> unmatched;
    QSet<QString> worked;
    const auto secondsOf = [&](const LoggedContact& c) {
        return double(sessionStart.secsTo(c.time));
    };
    // First every call that is some station's own: a station whose call was
    // busted and that was worked right later keeps its contact for the
    // right one.
    for (const LoggedContact& contact : log) {
        CheckedContact checked;
        checked.logged = contact;
        const QString call = contact.call.trimmed().toUpper();
        const QString key = call + u'|' + contact.mode.trimmed().toUpper();
        const double t = secondsOf(contact);
        int exact = -1;
        for (size_t i = 0; i < truth.size(); ++i) {
            if (!used[i] && truth[i].call == call &&
                (exact < 0 ||
                 std::fabs(truth[i].time - t) < std::fabs(truth[size_t(exact)].time - t))) {
                exact = int(i);
            }
        }
        if (worked.contains(key)) {
            checked.verdict = Verdict::Dupe;
            checked.trueCall = call;
        } else if (exact >= 0) {
            const CallerRecord& r = truth[size_t(exact)];
            used[size_t(exact)] = true;
            checked.trueCall = r.call;
            checked.trueYear = r.year;
            checked.stationLogged = r.logged;
            checked.verdict = !r.logged                        ? Verdict::NotInLog
                              : SameYear(contact.year, r.year) ? Verdict::Correct
                                                               : Verdict::BustedExchange;
        } else {
            unmatched.push_back(result.contacts.size());
        }
        worked.insert(key);
        result.contacts.push_back(checked);
    }
    // Then the others: the station with the nearest call among those on
    // the air about then (it may also have been worked right, before or
    // after), else nobody.
    for (size_t k : unmatched) {
        CheckedContact& checked = result.contacts[k];
        const QString call = checked.logged.call.trimmed().toUpper();
        const double t = secondsOf(checked.logged);
        int best = -1, bestEdits = kMaxBustedCallEdits + 1;
        for (size_t i = 0; i < truth.size(); ++i) {
            if (std::fabs(truth[i].time - t) > kBustedCallWindowSeconds) {
                continue;
            }
            const int edits = CallDistance(call, truth[i].call);
            if (edits < bestEdits ||
                (edits == bestEdits && best >= 0 &&
                 std::fabs(truth[i].time - t) < std::fabs(truth[size_t(best)].time - t))) {
                best = int(i);
                bestEdits = edits;
            }
        }
        if (best >= 0) {
            checked.verdict = Verdict::BustedCall;
            checked.trueCall = truth[size_t(best)].call;
            checked.trueYear = truth[size_t(best)].year;
            // A bust the station took for its own call (a careless one).
            checked.stationLogged =
                truth[size_t(best)].logged && truth[size_t(best)].sentCall.toUpper() == call;
        } else {
            checked.verdict = Verdict::NotInLog;
        }
    }
    VerificationCounts& n = result.counts;
    for (const CheckedContact& c : result.contacts) {
        switch (c.verdict) {
            case Verdict::Correct:
                ++n.correct;
                break;
            case Verdict::BustedCall:
                ++n.bustedCall;
                break;
            case Verdict::BustedExchange:
                ++n.bustedExchange;
                break;
            case Verdict::NotInLog:
                ++n.notInLog;
                break;
            case Verdict::Dupe:
                ++n.dupe;
                break;
        }
    }
    for (size_t i = 0; i < truth.size(); ++i) {
        if (truth[i].logged && !used[i]) {
            ++n.missing;
        }
    }
    return result;
}

QString VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Correct:
            return QStringLiteral("pravilna");
        case Verdict::BustedCall:
            return QStringLiteral("napačen klicni znak");
        case Verdict::BustedExchange:
            return QStringLiteral("napačna letnica");
        case Verdict::NotInLog:
            return QStringLiteral("NIL (ni v dnevniku postaje)");
        case Verdict::Dupe:
            return QStringLiteral("dvojna zveza");
    }
    return {};
}

QVector<HistoryEntry> ReadHistory(const QString& fileName) {
    QVector<HistoryEntry> entries;
    if (!QFileInfo::exists(fileName)) {
        return entries;
    }
    for (const QString& line : platform::ReadTextLines(fileName)) {
        const QStringList f = line.split(u';');
        if (line.startsWith(u'#') || f.size() < 8) {
            continue;
        }
        HistoryEntry e;
        e.start = QDateTime::fromString(f[0] + u' ' + f[1], QStringLiteral("yyyy-MM-dd HH:mm"));
        e.start.setTimeZone(QTimeZone::utc());
        bool ok[7] = {};
        e.minutes = f[2].toInt(&ok[0]);
        e.verifiedScore = f[3].toLong(&ok[1]);
        e.claimedScore = f[4].toLong(&ok[2]);
        e.contacts = f[5].toInt(&ok[3]);
        e.correct = f[6].toInt(&ok[4]);
        e.seed = f[7].toULongLong(&ok[5]);
        ok[6] = e.start.isValid();
        if (std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; })) {
            entries.push_back(e);
        }
    }
    return entries;
}

void AddToHistory(const QString& fileName, const HistoryEntry& e) {
    QStringList lines;
    if (QFileInfo::exists(fileName)) {
        lines = platform::ReadTextLines(fileName);
    }
    if (lines.isEmpty()) {
        lines << kHistoryHeader;
    }
    const QDateTime utc = e.start.toUTC();
    lines << QStringLiteral("%1;%2;%3;%4;%5;%6;%7;%8")
                 .arg(utc.toString(QStringLiteral("yyyy-MM-dd")),
                      utc.toString(QStringLiteral("HH:mm")))
                 .arg(e.minutes)
                 .arg(e.verifiedScore)
                 .arg(e.claimedScore)
                 .arg(e.contacts)
                 .arg(e.correct)
                 .arg(e.seed);
    QString error;
    if (!platform::WriteFileAtomically(
            fileName, platform::EncodeCp1250(platform::JoinLinesCrLf(lines)), &error)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(error, fileName));
    }
}

std::map<int, HistoryEntry> BestByDuration(const QVector<HistoryEntry>& history) {
    std::map<int, HistoryEntry> best;
    for (const HistoryEntry& e : history) {
        auto it = best.find(e.minutes);
        if (it == best.end() || e.verifiedScore > it->second.verifiedScore) {
            best[e.minutes] = e;
        }
    }
    return best;
}

QStringList ResultsText(const SessionSummary& s, const Verification& v,
                        const QVector<HistoryEntry>& history) {
    const QDateTime start = s.start.toUTC();
    QStringList out;
    out << QStringLiteral("Corvatta - vaja");
    out << QStringLiteral("Začetek: %1 UTC, trajanje %2 min (izbrano %3 min)")
               .arg(start.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
               .arg(std::lround(s.minutes))
               .arg(s.plannedMinutes);
    out << QStringLiteral("Nastavitve: %1").arg(s.settingsText);
    out << QStringLiteral("Seme: %1").arg(s.seed);
    out << QString();
    // Each contact as logged beside the station it was with and whether that
    // station has the operator in its log.
    out << Padded(QStringLiteral("Ura"), 6) + Padded(QStringLiteral("Klicni znak"), 14) +
               Padded(QStringLiteral("Letnica"), 9) + Padded(QStringLiteral("Postaja"), 18) +
               Padded(QStringLiteral("Zapisala"), 10) + QStringLiteral("Ocena");
    for (const CheckedContact& c : v.contacts) {
        const QString station =
            c.trueCall.isEmpty() ? QStringLiteral("-") : c.trueCall + u' ' + c.trueYear;
        out << Padded(c.logged.time.toUTC().toString(QStringLiteral("HH:mm")), 6) +
                   Padded(c.logged.call, 14) + Padded(c.logged.year, 9) + Padded(station, 18) +
                   Padded(c.stationLogged ? QStringLiteral("da") : QStringLiteral("ne"), 10) +
                   VerdictText(c.verdict);
    }
    const VerificationCounts& n = v.counts;
    out << QString();
    out << QStringLiteral(
               "Pravilne: %1, napačen klicni znak: %2, napačna letnica: %3, NIL: %4, "
               "dvojne: %5")
               .arg(n.correct)
               .arg(n.bustedCall)
               .arg(n.bustedExchange)
               .arg(n.notInLog)
               .arg(n.dupe);
    if (n.missing > 0) {
        out << QStringLiteral("Postaje, ki so zvezo zapisale, v dnevniku pa je ni: %1")
                   .arg(n.missing);
    }
    out << QStringLiteral("Točke: prijavljene %1, preverjene %2")
               .arg(s.claimedScore)
               .arg(s.verifiedScore);
    const double hours = std::max(s.minutes, 1.0) / 60.0;
    out << QStringLiteral("Hitrost: %1 zvez na uro")
               .arg(std::lround(double(v.contacts.size()) / hours));
    const auto best = BestByDuration(history);
    if (!best.empty()) {
        out << QString();
        out << QStringLiteral("Najboljše preverjene točke po trajanju:");
        for (const auto& [minutes, e] : best) {
            out << QStringLiteral("  %1 min: %2 (%3)")
                       .arg(minutes, 3)
                       .arg(e.verifiedScore)
                       .arg(e.start.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        }
    }
    return out;
}

QString ResultsFileName(const QString& folder, const QDateTime& start) {
    const QString stem = folder + QStringLiteral("vaja_") +
                         start.toUTC().toString(QStringLiteral("yyyy-MM-dd_HHmm"));
    QString name = stem + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = stem + QStringLiteral("_%1.txt").arg(n);
    }
    return name;
}

QString WriteResults(const QString& folder, const SessionSummary& summary,
                     const Verification& verification, const QVector<HistoryEntry>& history) {
    const QString name = ResultsFileName(folder, summary.start);
    QString error;
    const QByteArray bytes = platform::EncodeCp1250(
        platform::JoinLinesCrLf(ResultsText(summary, verification, history)));
    if (!platform::WriteFileAtomically(name, bytes, &error)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(error, name));
    }
    return name;
}

}  // namespace corvatta::practice
