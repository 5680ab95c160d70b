#include "logger/scoring.h"

#include "logger/qso_log_model.h"

#include <QHash>
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

namespace {

// Which modes a callsign or a year has been seen in: one bit for CW, one for
// SSB, so each row costs one hash look-up per set. Rows with any other mode
// text are rare (an edit not yet repaired) and go to a set of their own.
class SeenPerMode {
  public:
    explicit SeenPerMode(int expected) { common_.reserve(expected); }

    // Whether (text, mode) was seen before; marks it seen.
    bool TestAndSet(const QString& text, const QString& mode) {
        const quint8 bit = mode == kModeCw ? 1 : mode == kModeSsb ? 2 : 0;
        if (bit == 0) {
            const auto key = std::make_pair(text, mode);
            const bool seen = rare_.contains(key);
            rare_.insert(key);
            return seen;
        }
        quint8& bits = common_[CellKey{text}];
        const bool seen = (bits & bit) != 0;
        bits |= bit;
        return seen;
    }

  private:
    // Hashed with the log's own cell hash: a long log is scored row by row,
    // and Qt's general string hash was most of the time it took.
    struct CellKey {
        QString text;
        friend bool operator==(const CellKey& a, const CellKey& b) = default;
        friend size_t qHash(const CellKey& k, size_t seed) noexcept {
            return CellTextHash(k.text, seed);
        }
    };

    QHash<CellKey, quint8> common_;
    QSet<std::pair<QString, QString>> rare_;
};

}  // namespace

Score Recalculate(QsoLogModel& log, int qsoCount, const QString& myYearLic) {
    const int rows = std::min(qsoCount, log.RowCount());
    SeenPerMode calls(rows);
    SeenPerMode years(rows);

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
        const bool dupe = calls.TestAndSet(log.Cell(r, Call), log.Cell(r, Mode));
        const bool yearSeen = years.TestAndSet(log.Cell(r, LicYear), log.Cell(r, Mode));
        // The first row too gets its points from its mode: a first line
        // read without its mode mark has none, and every total after it
        // would stop on that empty cell. Its Mult stays as logged or loaded.
        const QString& p = dupe ? kZero : (log.Cell(r, Mode) == kModeCw ? kTwo : kOne);
        log.SetCell(r, Points, p);
        if (r > 0) {
            log.SetCell(r, Mult, (yearSeen || p == kZero) ? kZero : kOne);
        }
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
