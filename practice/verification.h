// The practice log checked against what the stations logged: each contact
// correct, with a busted call, with a busted year, not in the station's log
// (NIL) or a dupe; the results text (vaja_<yyyy-mm-dd_hhmm>.txt) and the
// history of sessions with the best verified score per duration
// (vaja_history.txt). The scores themselves come from the logger's own
// scoring: only the contacts marked correct count for the verified score.
#pragma once

#include "practice/practice_band.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <map>
#include <vector>

namespace corvatta::practice {

// One contact of the practice log.
struct LoggedContact {
    QString call;
    QString year;
    QString mode;
    QDateTime time;  // UTC
};

enum class Verdict { Correct, BustedCall, BustedExchange, NotInLog, Dupe };

struct CheckedContact {
    LoggedContact logged;
    Verdict verdict = Verdict::NotInLog;
    // The station the contact was with, when one was found.
    QString trueCall;
    QString trueYear;
    // That station has the operator in its log for this contact.
    bool stationLogged = false;
};

struct VerificationCounts {
    int correct = 0;
    int bustedCall = 0;
    int bustedExchange = 0;
    int notInLog = 0;
    int dupe = 0;
    // Stations that logged the operator but are missing from the log.
    int missing = 0;
};

struct Verification {
    std::vector<CheckedContact> contacts;  // in the order of the log
    VerificationCounts counts;
    // contacts[i] counts for the verified score.
    bool Counts(size_t i) const { return contacts[i].verdict == Verdict::Correct; }
};

// A logged contact belongs to the station of its call (the nearest in time
// when it had several contacts); failing that, to the station with the
// nearest call, one or two characters away, that had a contact within a
// few minutes of it (a busted call); failing that it is NIL. A call logged
// again in the same mode is a dupe.
Verification VerifyLog(const std::vector<LoggedContact>& log,
                       const std::vector<CallerRecord>& truth, const QDateTime& sessionStart);

QString VerdictText(Verdict verdict);

// What the results text shows besides the contacts.
struct SessionSummary {
    QDateTime start;  // UTC
    int plannedMinutes = 30;
    double minutes = 30;  // how long it actually ran
    QString settingsText;
    quint64 seed = 0;
    long claimedScore = 0;   // the logger's scoring of the whole log
    long verifiedScore = 0;  // the same over the correct contacts only
};

struct HistoryEntry {
    QDateTime start;  // UTC
    int minutes = 0;  // the planned duration
    long verifiedScore = 0;
    long claimedScore = 0;
    int contacts = 0;
    int correct = 0;
    quint64 seed = 0;
};

// The history file: missing reads as empty; lines it cannot read are kept
// in the file but left out here.
QVector<HistoryEntry> ReadHistory(const QString& fileName);
// Adds the session at the end; the file is rewritten atomically. Throws
// platform::IoError when it cannot be.
void AddToHistory(const QString& fileName, const HistoryEntry& entry);
// The best verified score for each planned duration.
std::map<int, HistoryEntry> BestByDuration(const QVector<HistoryEntry>& history);

QStringList ResultsText(const SessionSummary& summary, const Verification& verification,
                        const QVector<HistoryEntry>& history);
// "vaja_<yyyy-mm-dd_hhmm>.txt" for the session's start, in `folder` (with
// its trailing separator); "_2", "_3", ... when that name is taken, so an
// earlier session's results are never replaced.
QString ResultsFileName(const QString& folder, const QDateTime& start);
// Writes the results atomically as cp1250 with CR LF; throws
// platform::IoError when it cannot. Returns the file's name.
QString WriteResults(const QString& folder, const SessionSummary& summary,
                     const Verification& verification, const QVector<HistoryEntry>& history);

}  // namespace corvatta::practice
