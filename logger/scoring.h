// Points, multipliers and the claimed score, derived from the log rows in
// one pass.
#pragma once

#include "platform/errors.h"

#include <QString>

namespace corvatta {

class QsoLogModel;

// A Mult cell of the first row that is not a decimal number (an edit): every
// other cell is computed. The totals are then left as they were; the message
// names the offending text.
class ConversionError : public platform::Error {
  public:
    using Error::Error;
};

struct Score {
    int Points = 0;
    int Multipliers = 0;
    bool OwnYearMissing = true;
    QString EPoint;
    QString EMult;
    QString ESum;
};

// Recomputes Points of every row and Mult of rows 1 to qsoCount - 1 (row 0
// keeps the Mult it was given when logged or loaded), repairs a Mode that is
// neither "CW" nor "SSB" from its points, and totals. The own licence year is a multiplier
// as long as no contact gave it. Throws ConversionError.
Score Recalculate(QsoLogModel& log, int qsoCount, const QString& myYearLic);

// The score fields of an emptied log.
Score ClearedScore();

}  // namespace corvatta
