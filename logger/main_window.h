// TfMain, the logger's main window: it wires its form's controls to the
// units that do the work (the entry sequence, the log book, the data panel,
// validation, the calendar), runs the start and the end of the program and
// the contest clock, and shows the results.
#pragma once

#include "logger/data_panel.h"
#include "logger/entry_sequence.h"
#include "logger/licence_table.h"
#include "logger/log_book.h"
#include "logger/main_window_form.h"
#include "logger/main_window_view.h"
#include "platform/widget_look.h"
#include "station/station_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <memory>

namespace platform {
class Clock;
}

namespace corvatta {

class QsoLogModel;
class LogBackups;

// Addresses of the two contest pages opened from the "Ostalo" menu.
inline const QString kRulesPageUrl =
    QStringLiteral("https://www.hamradio.si/tekmovanja/kv-prvenstvo-zrs/pravila.pdf");
inline const QString kLogUploadUrl =
    QStringLiteral("https://www.hamradio.si/tekmovanja/kv-prvenstvo-zrs/oddaja-dnevnika");
inline const QString kMainCaption = QStringLiteral("Corvatta 1.11");

struct CabrilloHeader;

class TfMain : public QMainWindow, public TfMainForm {
    Q_OBJECT

  public:
    TfMain(StationState& state, platform::Clock& clock, QWidget* parent = nullptr);
    ~TfMain() override;

    StationState& State() { return state_; }
    QsoLogModel& LogModel() { return *logModel_; }
    // The rig link, once the window has shown and [Rig] turns it on; else null.
    class RigLink* Rig() const {
        return rig_;
    }
    // The log's rotating copies (a test waits for them, the benchmark turns
    // them off to compare).
    LogBackups& Backups() { return *backups_; }

    // The log: logs the entry that the entry line holds (the caller has
    // checked that it is valid), and opens the log of FileCall.
    void LogQso();
    void ReloadLog();
    // Runs the entry checks on the entry line's text.
    void ValidateEntry();

    // The keyer, set up after this window; the entry line sends its messages
    // and bytes through its link and shows its marks in its windows.
    void AttachKeyer(KeyerWindows* keyer);
    // The window as the keyer sees it (indicators, entry line, place).
    keyer::MainWindowLink& KeyerView() { return *view_; }

    // Practice: the grid shows the practice log at `path`, emptied, under a
    // banner that says so, and the commands that would reach the contest
    // log's file, copies, export or the operator's call are off. The
    // contest log's pending grid edits are saved first; throws
    // platform::Error (nothing changed) when they or the practice log
    // cannot be written.
    void EnterPracticeLog(const QString& path, const QString& banner);
    // The contest log back in the grid as its file holds it, and the
    // window as it was.
    void LeavePracticeLog();
    bool PracticeLogShown() const { return practiceBanner_ != nullptr; }
    // The licence years the entry line knows (the practice band's stations).
    const LicenceTable& Licences() const { return licences_; }

    // Loads operator profile n (1..4) from the port and profile file, then
    // refreshes the window and the log through the change timer.
    void LoadProfileAndRefresh(int n);

    // Timer handlers; public so a test can tick a timer at a chosen instant.
    void StartTimerTick();
    void ClockTimerTick();
    void CheckOperatorData() { panel_->CheckOperatorData(); }
    void SetupTimerTick() { panel_->SetupTimerTick(); }
    void FocusTimerTick() { panel_->FocusTimerTick(); }
    void ChangeTimerTick() { panel_->ChangeTimerTick(); }

  signals:
    // The keyer subsystem answers these.
    void keyerWindowRequested();
    void keyerLinkOpenRequested();
    void keyerLinkCloseRequested();
    void openComRequested();
    void memoWindowRequested();
    // The log store answers these: open the log of FileCall and load it.
    void logReloadRequested();
    // The window is closing, before its settings and log copies are saved.
    void closing();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ConnectHandlers();
    void CollectControlSettings();
    void FirstShow();
    // Following the radio, when the port and profile file turns it on.
    void StartRigLink();
    void FollowRigMode(const QString& rigMode);

    void ShowAbout();

    // Log and entry line.
    void BuildLog();
    void ShowLog(const LogBook::Shown& shown);
    void ShowScore(const Score& score);
    void ClearEntryLabels();
    bool EntryKeyPress(QKeyEvent* event);
    bool EntryKeyDown(QKeyEvent* event);
    void EnterPressed();
    void EscPressed();
    void BModeClick();
    // The callsign label and the entry state's copy of it, always together.
    void ShowInfo(const QString& text);
    void BuildEntrySequence();

    StationState& state_;
    platform::Clock& clock_;
    QsoLogModel* logModel_ = nullptr;
    DataPanel* panel_ = nullptr;
    class RigLink* rig_ = nullptr;
    class LogMenu* logMenu_ = nullptr;
    LogBackups* backups_ = nullptr;
    std::unique_ptr<LogBook> logBook_;
    std::unique_ptr<MainWindowView> view_;
    std::unique_ptr<EntrySequence> sequence_;
    LicenceTable licences_;
    bool shown_ = false;
    bool saved_ = false;
    // While practice has its log in the grid.
    QLabel* practiceBanner_ = nullptr;
    std::vector<std::pair<QAction*, bool>> practiceDisabled_;
    bool practiceProfileKeys_ = false;
};

using platform::PaintBackground;
using platform::PaintText;

}  // namespace corvatta
