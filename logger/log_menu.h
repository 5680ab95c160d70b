// The log commands of the "Datoteka" menu (clear, delete the last contact,
// the exports and the import) and saving the grid's edits when the focus
// leaves it. The window shows what they return.
#pragma once

#include "logger/cabrillo.h"
#include "logger/log_book.h"
#include "logger/main_window_form.h"
#include "logger/station_state.h"

#include <QObject>

namespace corvatta {

class QsoLogModel;

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

  signals:
    // The log changed: show it; `clearLabels` also clears the entry's labels.
    void logShown(const LogBook::Shown& shown, bool clearLabels);
    void scoreShown(const Score& score);

  private:
    TfMainForm& f_;
    StationState& state_;
    LogBook& book_;
    QsoLogModel& model_;
};

}  // namespace corvatta
