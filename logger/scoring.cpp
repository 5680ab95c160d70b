#include "logger/scoring.h"

#include "logger/qso_log_model.h"

#include <QSet>

#include <utility>

namespace corvatta {

namespace {

const QString kZero = QStringLiteral("0");
const QString kOne = QStringLiteral("1");
const QString kTwo = QStringLiteral("2");

// Decimal, with an optional sign, as the cells were always read; anything
// else is the operator's to correct.
int CellValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace()) {
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    return value;
}

}  // namespace

Score Recalculate(QsoLogModel& log, int qsoCount, const QString& myYearLic) {
    using Key = std::pair<QString, QString>;
    QSet<Key> calls;
    QSet<Key> years;
    const int rows = std::min(qsoCount, log.RowCount());
    calls.reserve(rows);
    years.reserve(rows);

    QsoLogModel::BulkUpdate bulk(log);
    int points = 0;
    int multipliers = 0;
    bool ownYearMissing = true;
    for (int r = 0; r < rows; ++r) {
        const QString& mode = log.Cell(r, Mode);
        if (mode != kModeCw && mode != kModeSsb) {
            if (log.Cell(r, Points) == kTwo) {
                log.SetCell(r, Mode, kModeCw);
            } else if (log.Cell(r, Points) == kOne) {
                log.SetCell(r, Mode, kModeSsb);
            }
        }
        Key call(log.Cell(r, Call), log.Cell(r, Mode));
        Key year(log.Cell(r, LicYear), log.Cell(r, Mode));
        if (r > 0) {
            const bool dupe = calls.contains(call);
            const bool yearSeen = years.contains(year);
            const QString& p = dupe ? kZero : (log.Cell(r, Mode) == kModeCw ? kTwo : kOne);
            log.SetCell(r, Points, p);
            log.SetCell(r, Mult, (yearSeen || p == kZero) ? kZero : kOne);
        }
        calls.insert(std::move(call));
        years.insert(std::move(year));
        points += CellValue(log.Cell(r, Points));
        multipliers += CellValue(log.Cell(r, Mult));
        if (log.Cell(r, LicYear) == myYearLic) {
            ownYearMissing = false;
        }
    }
    if (ownYearMissing) {
        multipliers += 1;
    }
    Score s;
    s.Points = points;
    s.Multipliers = multipliers;
    s.OwnYearMissing = ownYearMissing;
    s.EPoint = QString::number(points);
    s.EMult = QString::number(multipliers);
    s.ESum = QString::number(points * multipliers);
    return s;
}

Score ClearedScore() {
    Score s;
    s.EPoint = s.EMult = s.ESum = kZero;
    return s;
}

}  // namespace corvatta
