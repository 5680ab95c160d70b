// The practice mode's two windows: "Vaja", the set-up with the buttons that
// start and end a session, and "Vaja – rezultati", the last session's
// contacts checked against what the stations logged. Both only show and
// collect: the session itself is run by whoever listens to their signals.
// Each remembers where it stood in section [PRACTICE] of Corvattaini.ini.
#pragma once

#include "practice/practice_settings.h"
#include "practice/verification.h"

#include <QVector>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace corvatta {

class PracticeSetupWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit PracticeSetupWindow(QWidget* parent = nullptr);
    ~PracticeSetupWindow() override;

    // Fills the controls; operatorSpeed is the operator's Speed, for the
    // callers' range shown while it follows that speed (SpeedMin and
    // SpeedMax 0).
    void SetSettings(const practice::PracticeSettings& settings, int operatorSpeed);
    // What the controls say now.
    practice::PracticeSettings Settings() const;
    // While a session runs the set-up is locked, "Začni" disabled and
    // "Končaj" enabled.
    void SetRunning(bool running);
    // A line under the buttons (no sound device, a recording that failed);
    // empty hides it.
    void ShowStatus(const QString& text);

    QGroupBox* GSetup;
    QComboBox* CBMinutes;
    QComboBox* CBStyle;
    QSpinBox* SActivity;
    QSpinBox* SSpeedMin;
    QSpinBox* SSpeedMax;
    QCheckBox* CBFollowSpeed;
    QSpinBox* SPitch;
    QSpinBox* SBandwidth;
    QCheckBox *CBQrn, *CBQsb, *CBQrm, *CBLids, *CBQsk;
    QSlider* SVolume;
    QLabel* LVolume;
    QCheckBox* CBRecord;
    QLineEdit* ERecordFile;
    QPushButton* BChooseFile;
    QLineEdit* ESeed;
    QPushButton* BStart;
    QPushButton* BStop;
    QPushButton* BResults;
    QLabel* LStatus;

  signals:
    void startRequested();
    void stopRequested();
    void resultsRequested();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void FollowSpeedChanged();
    void ChooseRecordFile();
    void UpdateEnabled();

    int operatorSpeed_ = 0;
    bool running_ = false;
    bool placed_ = false;
};

class PracticeResultsWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit PracticeResultsWindow(QWidget* parent = nullptr);
    ~PracticeResultsWindow() override;

    // `fileNote`: where the results text was written, or why it could not
    // be.
    void ShowResults(const practice::SessionSummary& summary,
                     const practice::Verification& verification,
                     const QVector<practice::HistoryEntry>& history, const QString& fileNote);

    QLabel* LTitle;
    QLabel *LCorrect, *LBustedCall, *LBustedExchange, *LNotInLog, *LDupe;
    QLabel *LClaimed, *LVerified, *LRate, *LContacts;
    QLabel* LMissing;
    QLabel* LSettings;
    QTableWidget* Contacts;
    QLabel* LNoContacts;
    QTableWidget* Best;
    QLabel* LNoHistory;
    QLabel* LFileNote;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    bool placed_ = false;
};

}  // namespace corvatta
