// The operator data panel of the main window: the own data, the mode, power
// and club options with their checks, and what saving or leaving the panel
// does (the log of a new callsign, the keyer link of a new mode). Profiles
// loaded from the port and profile file come in here too.
#pragma once

#include "logger/main_window_form.h"
#include "station/station_state.h"

#include <QObject>

namespace corvatta {

class DataPanel : public QObject {
    Q_OBJECT

  public:
    DataPanel(TfMainForm& form, StationState& state, QObject* parent);

    void Open();
    // The operator data checks; opens the panel while the data are incomplete.
    void CheckOperatorData();
    void SaveClick();
    void CancelClick();
    void ModeSelected(int index);
    void PowerSelected(int index);
    // The seven data edits from the operator data.
    void FillDataEdits();
    // The mode and power lists and the three check boxes from the state.
    void ApplyPanelSettings();
    // Loads operator profile n (1..4) over the current choices, then
    // refreshes the edits and the log through the change timer.
    void LoadProfile(int n);

    // Timer handlers.
    void SetupTimerTick();
    void FocusTimerTick();
    void ChangeTimerTick();

  signals:
    void keyerLinkOpenRequested();
    void keyerLinkCloseRequested();
    // Open the log of FileCall and load it.
    void logReloadRequested();

  private:
    void ConnectHandlers();
    void SwitchToCallsignLog();
    void ClearInfo();

    TfMainForm& f_;
    StationState& state_;
};

}  // namespace corvatta
