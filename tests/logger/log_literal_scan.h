// The straightforward way to answer the log's questions: walk every row (and
// every table entry) in order. The indexed code must give the same answers;
// tests compare the two and the benchmarks time them side by side.
#pragma once

#include "logger/licence_table.h"
#include "logger/qso_log_model.h"
#include "logger/scoring.h"

#include <optional>

namespace corvatta::literal {

inline LogMatches Match(const QsoLogModel& log, const QString& call, const QString& year,
                        const QString& mode, const QString& otherMode, bool mix) {
    LogMatches m;
    for (int r = 0; r < log.RowCount(); ++r) {
        if (log.Cell(r, Call) == call && log.Cell(r, Mode) == mode) {
            m.IsDupe = true;
            m.DupeLicYear = log.Cell(r, LicYear);
        }
        if (log.Cell(r, LicYear) == year && log.Cell(r, Mode) == mode) {
            m.NewMult = false;
        }
        if (mix) {
            if (log.Cell(r, Call) == call && log.Cell(r, Mode) == otherMode) {
                m.WorkedOtherMode = true;
            }
            if (log.Cell(r, LicYear) == year && log.Cell(r, Mode) == otherMode) {
                m.YearNewOtherMode = false;
            }
        }
    }
    return m;
}

inline std::optional<QString> Predict(const LicenceTable& table, const QString& key) {
    std::optional<QString> found;
    for (const auto& [call, year] : table.Entries()) {
        if (call == key) {
            found = year;
        }
    }
    return found;
}

// Every row compared with all earlier rows.
inline Score Recalculate(QsoLogModel& log, int qsoCount, const QString& myYearLic) {
    int points = 0;
    int mults = 0;
    bool ownMissing = true;
    for (int r = 0; r < qsoCount; ++r) {
        const QString mode = log.Cell(r, Mode);
        if (mode != QLatin1String("CW") && mode != QLatin1String("SSB")) {
            if (log.Cell(r, Points) == QLatin1String("2")) {
                log.SetCell(r, Mode, QStringLiteral("CW"));
            } else if (log.Cell(r, Points) == QLatin1String("1")) {
                log.SetCell(r, Mode, QStringLiteral("SSB"));
            }
        }
        {
            bool dupe = false;
            bool seen = false;
            for (int k = 0; k < r; ++k) {
                if (log.Cell(k, Call) == log.Cell(r, Call) &&
                    log.Cell(k, Mode) == log.Cell(r, Mode)) {
                    dupe = true;
                }
                if (log.Cell(k, LicYear) == log.Cell(r, LicYear) &&
                    log.Cell(k, Mode) == log.Cell(r, Mode)) {
                    seen = true;
                }
            }
            const QString p =
                dupe ? QStringLiteral("0")
                     : (log.Cell(r, Mode) == QLatin1String("CW") ? QStringLiteral("2")
                                                                 : QStringLiteral("1"));
            log.SetCell(r, Points, p);
            if (r > 0)
                log.SetCell(
                    r, Mult,
                    seen ? QStringLiteral("0")
                         : (p != QLatin1String("0") ? QStringLiteral("1") : QStringLiteral("0")));
        }
        bool ok1 = false;
        bool ok2 = false;
        points += log.Cell(r, Points).toInt(&ok1);
        mults += log.Cell(r, Mult).toInt(&ok2);
        if (!ok1 || !ok2) {
            throw ConversionError(QStringLiteral("not a number"));
        }
        if (log.Cell(r, LicYear) == myYearLic) {
            ownMissing = false;
        }
    }
    if (ownMissing) {
        ++mults;
    }
    Score s;
    s.Points = points;
    s.Multipliers = mults;
    s.OwnYearMissing = ownMissing;
    s.EPoint = QString::number(points);
    s.EMult = QString::number(mults);
    s.ESum = QString::number(points * mults);
    return s;
}

}  // namespace corvatta::literal
