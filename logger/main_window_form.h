// The main window's controls as its design lays them out: every label,
// field, panel, menu command and timer under its design name and place, and
// the two layouts of the contest clock. The window (TfMain) wires them to
// its handlers; nothing here reacts to anything.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace corvatta {

// The text of the "Vizitka" box.
inline const QString kAboutText = QStringLiteral(
    "Corvatta - dnevnik za KV prvenstvo ZRS\r\n"
    "Tekmovanje na 80 m, SSB, CW in MIX\r\n"
    "\r\n"
    "SSB verzija: 2024-03-10\r\n"
    "CW verzija: 2025-10-12\r\n"
    "Program Ver.:  1.11\r\n"
    "Zadnje spremembe: 2026-12-08\r\n"
    "\r\n"
    "Kontakt: corvatta@hamradio.si");

// The hint the year field shows while it is empty.
inline const QString kYearHint = QStringLiteral("Leto prve licence");

struct TfMainForm {
    // Controls, under the names the operators' manuals and the other
    // windows use. Pointers are null until SetupForm.
    QLabel* LTest;
    QTableView* Log;
    QFrame* PWork;
    QLineEdit* ECall;
    QLineEdit* EditLL;
    QLineEdit* BMode;
    QLabel *LInfo, *LError, *LMult, *LDouble, *LRun, *LESM, *LSpeed, *LSpeed1, *LSpeedPaddle;
    QLabel *LClock, *LSecond, *LQSO, *LTransmit, *LMemo, *LRig;
    // Shown while a CW category has no keyer ready; a click opens the keyer
    // window, whose status line says why.
    QPushButton* BKeyerOffline;
    // Shown while the last background copy of the log failed; its tip says why.
    QLabel* LBackupFailed;
    QLineEdit *EPoint, *EMult, *ESum;
    QFrame *Shape, *Shape1, *ShapeQSO, *ShapeMult;

    QFrame* Pdata;
    QLineEdit *EMyCall, *EMyYearLic, *EMyClub, *EMyName, *EMyAddress, *EMyAddress1, *EMyEmail;
    QLabel* LMyName;  // "Ime priimek", turns red when the profile keys are enabled
    QComboBox *EMode, *EPower;
    QCheckBox *CBRK, *CS5, *CLL, *cDate;
    QLineEdit *EWinkeyer, *EDate;
    QPushButton *BSave, *BCancel;

    QTimer *TimerTime, *TimerStart, *TimerCheck, *TimerSetup, *TimerWKClose, *TimerChange;

    QAction *ClearMenu, *DeleteLastQSO, *SaveAsLog, *SaveAsCbr, *SaveCbr, *OpenLog, *ExitMenu;
    QAction *SettingsMenu, *RulesPage, *UploadPage, *ClockProgram, *AboutBox;
    QAction *CheckLog, *SaveAdif, *RestoreBackup, *ImportCallHistory;
    QAction* StatisticsMenu;  // "Statistika", Ctrl+R
    QAction* VoiceMenu;       // "Glasovna sporočila"
    QAction* PracticeMenu;    // "Vaja"

    // Builds every control as a child of `window`, in its design place.
    void SetupForm(QMainWindow* window);
    // The column widths of the log grid: the design widths, widened where
    // the font at hand needs it.
    void FitLogColumns();
    // The contest clock's two layouts: seconds large in the last minute
    // before the end, hours and minutes large otherwise.
    void ApplyClockLayout(bool lastMinute);
    // The entry line back to "S5" or empty, as the automatic prefix says.
    void ResetEntryLine();
    // The controls that only the CW modes use.
    void ShowKeyerControls(bool show);
    // Focus into an edit with the caret at its end.
    static void FocusEnd(QLineEdit* edit);

  private:
    void BuildWorkPanel(QMainWindow* window);
    void BuildDataPanel(QMainWindow* window);
    void BuildMenus(QMainWindow* window);
    void BuildTimers(QMainWindow* window);
};

}  // namespace corvatta
