// The log's operations that touch both the rows and the file: logging a
// contact, loading, deleting the last contact, clearing, saving grid edits,
// importing a copy. No widgets: each returns what the window must show, and
// throws platform::IoError (file) or ConversionError (a bad cell) for the
// window's error box. The file is written before the rows change wherever
// the order is free, so a failed write leaves grid and file alike.
#pragma once

#include "logger/qso_line.h"
#include "logger/scoring.h"
#include "station/station_state.h"

#include <QString>

#include <functional>
#include <optional>

namespace corvatta {

class QsoLogModel;

// "Zbriši dnevnik" asks twice; the second text names the log.
inline const QString kClearLogConfirm1 = QStringLiteral(
    "Si prepričan da želiš brisati podatke?\n\rBrisanje - OK !\n\rČe podatke nisi shranil ne "
    "briši - CANCEL !");
QString ClearLogConfirm2(const QString& myCall);
QString SaveCbrConfirm();
QString ImportConfirm(const QString& myCall);

// Grid editing: an edit counts only when the grid was clicked before its
// first changed character, and is saved when the grid loses the focus.
void LogClick(LogState& log);
void LogSetEditText(LogState& log);
// True (and LogModified cleared) when the edits must now be recalculated and
// written; LogBook::SaveGridEdits does both.
bool LogExit(LogState& log);

class LogBook {
  public:
    LogBook(StationState& state, QsoLogModel& log);

    // The log of FileCall, or the practice log while a practice session
    // has put its own in place.
    QString LogFileName() const;
    // A practice session's log (a full path) instead of the contest's;
    // empty gives the contest's log back. The caller opens the log anew.
    void UseLogFile(const QString& path) { overridePath_ = path; }
    bool UsingOtherLog() const { return !overridePath_.isEmpty(); }
    OwnLineData Own() const;
    // MyCall + " QSO: " + QsoCount.
    QString LQSO() const;

    struct Shown {
        Score score;
        QString lqso;
        int currentRow = 0;  // the row to make current (scrolls to the log's end)
    };

    // Start-up, a saved callsign change, a profile switch: opens (creating
    // it empty) and loads the log file of the current FileCall.
    Shown OpenLog();

    struct Logged : Shown {
        int row = 0;                    // the row the contact went into
        bool clearDoubleLabel = false;  // LDouble showed "DVOJNA ZVEZA"
    };
    // Logs the entry held in the state at the UTC time "hh:mm". Nothing
    // happens (nullopt) when the entry has no callsign or no year. The line
    // is on disk before the row is filled; when it cannot be, IoError and the
    // grid is untouched. The window then resets ECall, paints both marks
    // not-valid, puts the caret at the end; HandOver runs last.
    std::optional<Logged> LogQso(const QString& utcTime);

    // Ctrl+Del. nullopt when the log is empty.
    std::optional<Shown> DeleteLastQSO();
    // "Zbriši dnevnik" after both confirmations.
    Shown ClearLog();
    // The grid lost the focus: saves pending edits, if any.
    std::optional<Score> SaveGridEdits();
    // "Odpri Log" after the confirmation and the chosen file: the copy is
    // read whole first; the log changes only when it could be read and the
    // rebuilt log file written.
    Shown ImportLogCopy(const QString& fileName);

    // Step after logging that belongs to the entry line's Run/S-P sequence
    // (closing message, ClosingDue or SearchLogged to Closed); the window installs it.
    std::function<void()> HandOver;

  private:
    Score Rescore();

    StationState& state_;
    QsoLogModel& log_;
    QString overridePath_;
};

}  // namespace corvatta
