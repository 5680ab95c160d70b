// The Cabrillo 2.0 file for submission and the plain QSO-line export, both
// written from the log rows and the operator data.
#pragma once

#include "logger/qso_line.h"

#include <QString>
#include <QStringList>

namespace corvatta {

class QsoLogModel;
struct StationState;

struct CabrilloHeader {
    QString MyCall;
    QString Category;
    QString MyClub;
    bool RadioClub = false;  // "Kategorija Radioklubi": only then the club is named
    QString ClaimedScore;    // the text of ESum
    QString MyName;
    QString MyAddress;
    QString MyAddress1;
    QString MyEmail;
};

// The header from the state; Category must have been recomputed by the caller.
CabrilloHeader CabrilloHeaderOf(const StationState& state, const QString& claimedScore);

// The whole file as lines: 12 header lines, the QSO lines, "END-OF-LOG:".
QStringList CabrilloLines(const CabrilloHeader& header, const QStringList& qsoLines);

inline const QString kBackupCbrName = QStringLiteral("zmbtmp.bak");

// Dialog filters of "Shrani kot ..." and "Odpri Log".
inline const QString kCbrFilter = QStringLiteral("Text files (*.cbr)|*.cbr");
inline const QString kLogFilter = QStringLiteral("Text files (*.log)|*.log");

// Writes the Cabrillo file to the name, replacing it. Throws platform::IoError.
void ExportCabrillo(const QString& fileName, const CabrilloHeader& header, const OwnLineData& own,
                    const QsoLogModel& log, int qsoCount);
// Writes only the QSO lines to the name, replacing it. Throws IoError.
void ExportLogAs(const QString& fileName, const OwnLineData& own, const QsoLogModel& log,
                 int qsoCount);

// "Shrani CBR" after its confirmation: program directory + FileCall + ".cbr"
// and the backup "zmbtmp.bak", each tried twice. Both are attempted; when
// either could not be written, IoError names it (an old file of that name
// would otherwise pass for the new export).
void SaveCbr(const QString& fileCall, const CabrilloHeader& header, const OwnLineData& own,
             const QsoLogModel& log, int qsoCount);

}  // namespace corvatta
