// "Preveri dnevnik": looks the log over before it is submitted and lists,
// row by row, what a contest committee would object to. Nothing is
// changed and nothing is refused: the operator reads the list and may
// still export.
#pragma once

#include "logger/qso_line.h"
#include "station/station_state.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace corvatta {

struct LogCheckInput {
    std::vector<QsoRow> rows;  // the log, oldest first
    QStringList fileLines;     // the log file as written (its own part per line)
    OperatorData op;
    bool radioClub = false;  // "Kategorija Radioklubi": the club goes into the header
    int modeCategory = 2;    // EMode: 0 CW, 1 SSB, 2 MIX
    QString contestDate;     // "yyyy-mm-dd"
    QString currentYear;     // "yy", for the licence-year rule
    // The year the licence table lists for the own callsign, if any.
    std::optional<QString> listedOwnYear;
};

enum class LogProblem {
    NotContestDay,  // the log's date is no contest Sunday
    OutsidePeriod,  // a contact outside the two contest hours
    TimeOrder,      // a contact earlier than the one before it
    BadCall,        // the callsign rules refuse it
    BadYear,        // the licence-year rules refuse it
    EmptyCell,      // a cell of the row is empty
    Duplicate,      // worked before in this mode: 0 points (information)
    MissingHeader,  // operator data the Cabrillo header needs
    OwnYearInLog,   // a line of the file carries another own year
    OwnYearListed,  // the licence table knows another own year
    ModeCategory,   // a contact's mode is not the category's
    OwnCallInLog,   // a line of the file carries another own callsign
    OwnCallWorked,  // a contact with the own callsign
};

struct LogFinding {
    int row = -1;  // 0-based log row; -1 for the log as a whole
    LogProblem kind;
    QString text;
    bool informational = false;
};

struct LogCheckReport {
    std::vector<LogFinding> findings;  // in row order, the whole-log ones first
    int Problems() const;
    int Duplicates() const;
    bool Clean() const { return findings.empty(); }
};

LogCheckReport CheckLog(const LogCheckInput& input);

// The report as the message box shows it: a count line, then one line per
// finding; past maxLines the rest is summed up in one line.
QString LogCheckText(const QString& myCall, const LogCheckReport& report, int maxLines = 30);

inline const QString kCheckCaption = QStringLiteral("Preveri dnevnik");
QString CheckCleanText(const QString& myCall);
// Before "Shrani CBR" and "Oddaja dnevnika" when the check found problems.
QString CheckBeforeExportText(const QString& reportText);

}  // namespace corvatta
