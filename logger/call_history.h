// Call history from earlier contests: the callsigns and licence years of
// earlier .log or .cbr files of this contest, merged into the operator's
// "Licence.txt" so the entry line predicts the year from the first contact.
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace corvatta {

struct HistoryEntry {
    QString call;
    QString year;   // two digits
    QDate contest;  // the date of its line; invalid when it has none
};

// The contacts of one earlier log or Cabrillo file. Lines that are no QSO
// lines are passed over; contacts whose callsign or year could not go into
// the table are counted in `skipped`.
struct HistoryFile {
    std::vector<HistoryEntry> entries;
    int skipped = 0;
};
HistoryFile ParseCallHistory(const QStringList& lines);
// Throws platform::IoError.
HistoryFile ReadCallHistory(const QString& path);

// Callsign to year over all files: the most recent contest wins; within
// one contest date the later file, then the later line.
QHash<QString, QString> LatestYears(const std::vector<HistoryFile>& files);

struct LicenceMerge {
    QStringList lines;  // the table's lines, changed in place, new ones at the end
    int added = 0;
    int changed = 0;
    int kept = 0;  // history that the table already said
};
// Merges into the lines of a licence table ("CALL,YY" or "CALL=YY", blank
// lines and "#" comments kept as they are). A known callsign gets the
// history's year on its own line(s) with its own separator; a new one is
// appended with the separator the table uses most.
LicenceMerge MergeIntoLicenceLines(const QStringList& table, const QHash<QString, QString>& years);

inline const QString kHistoryCaption = QStringLiteral("Uvozi leta licenc iz dnevnikov");
inline const QString kHistoryFilter = QStringLiteral("Dnevniki (*.log *.cbr)|*.log *.cbr");
QString HistorySummary(int files, const LicenceMerge& merge);
QString HistoryConfirm(int files, const LicenceMerge& merge);

}  // namespace corvatta
