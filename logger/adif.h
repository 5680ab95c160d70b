// "Shrani ADIF": the log as an ADIF 3.1 file (.adi) for the operator's
// everyday logbook and the confirmation services.
#pragma once

#include "logger/qso_line.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace corvatta {

class QsoLogModel;

inline const QString kAdifVersion = QStringLiteral("3.1.4");
inline const QString kAdifProgramId = QStringLiteral("Corvatta");
inline const QString kAdifProgramVersion = QStringLiteral("1.11");
// Not in the ADIF list of contest names, which allows others.
inline const QString kAdifContestId = QStringLiteral("KV-PRVENSTVO-ZRS");
inline const QString kAdifFilter = QStringLiteral("ADIF (*.adi)|*.adi");

// "<NAME:length>value"; characters outside printable ASCII become "?", and
// the length counts the characters (= bytes) of what is written.
QString AdifField(const QString& name, const QString& value);

// The whole file as lines: the header, ended by <EOH>, then one record per
// contact, each ended by <EOR>. `createdUtc` stamps the header.
QStringList AdifLines(const OwnLineData& own, const std::vector<QsoRow>& rows,
                      const QDateTime& createdUtc);

// Writes rows 0 to qsoCount - 1 to the file, replacing it atomically.
// Throws platform::IoError.
void ExportAdif(const QString& fileName, const OwnLineData& own, const QsoLogModel& log,
                int qsoCount, const QDateTime& createdUtc);

}  // namespace corvatta
