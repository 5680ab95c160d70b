// The log commands of the "Datoteka" menu (clear, delete the last contact,
// the exports and the import) and saving the grid's edits when the focus
// leaves it. The window shows what they return.
#pragma once

#include "logger/cabrillo.h"
#include "logger/log_book.h"
#include "logger/log_check.h"
#include "logger/main_window_form.h"
#include "station/station_state.h"

#include <QObject>

namespace platform {
class Clock;
}

namespace corvatta {

class QsoLogModel;
class LogBackups;

// Short enough for the list's title bar, which is no wider than the list.
inline const QString kRestoreCaption = QStringLiteral("Obnovi dnevnik");
inline const QString kRestoreLabel = QStringLiteral("Varnostne kopije dnevnika %1:");
QString NoBackupsText(const QString& myCall);
// Names the copy's own callsign (that of its first line) when it is not
// myCall.
QString RestoreConfirm(const QString& myCall, const QString& item, const QString& copyCall);
// The own callsign of a copy's first contact; empty when it has none.
QString OwnCallOfCopy(const QString& path);

class LogMenu : public QObject {
    Q_OBJECT

  public:
    LogMenu(TfMainForm& form, StationState& state, LogBook& book, QsoLogModel& model,
            QObject* parent);

    void ClearLog();
    void DeleteLastQso();
    void SaveAs(bool cabrillo);
    void SaveCbr();
    void OpenLog();
    void GridFocusChanged(QWidget* old, QWidget* now);
    // The Cabrillo header from the operator data as they stand now.
    CabrilloHeader ExportHeader();

    // "Shrani ADIF": the log as an ADIF file of the operator's choosing.
    void SaveAdif();
    // "Uvozi leta licenc iz dnevnikov": earlier logs into Licence.txt.
    void ImportCallHistory();
    // "Preveri dnevnik": the list of what is wrong, or that nothing is.
    void CheckLog();
    // Before an export: true to go on (the log is clean, or the operator
    // read the list and still wants to).
    bool CheckBeforeExport();

    // The log's copies in "backup/" and the clock their names are taken from.
    void AttachBackups(LogBackups& backups, const platform::Clock& clock);
    // "Obnovi dnevnik iz kopije": pick a copy, back up the log, restore it.
    void RestoreFromBackup();

  signals:
    // The log changed: show it; `clearLabels` also clears the entry's labels.
    void logShown(const LogBook::Shown& shown, bool clearLabels);
    void scoreShown(const Score& score);
    // The log file was replaced: open and load it again.
    void logReloadRequested();
    // Licence.txt was rewritten: the prediction must read it again.
    void licencesChanged();

  private:
    LogCheckReport RunCheck();

    TfMainForm& f_;
    StationState& state_;
    LogBook& book_;
    QsoLogModel& model_;
    LogBackups* backups_ = nullptr;
    const platform::Clock* clock_ = nullptr;
};

}  // namespace corvatta
