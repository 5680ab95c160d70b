// Rotating copies of the log file in "backup/" beside it, named after the
// callsign, date and time of the copy; restoring one of them. The copies
// are written off the UI thread, so logging a contact never waits for one.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <optional>
#include <vector>

namespace platform {
class Clock;
}

namespace corvatta {

inline const QString kBackupFolder = QStringLiteral("backup");
// The newest this many copies are kept, and besides them the newest of
// every day, so an earlier contest's log survives the next one.
inline constexpr int kBackupsKept = 20;
// While contacts keep coming, at most one copy a minute.
inline constexpr qint64 kBackupGapMs = 60 * 1000;

// The "backup" folder beside the log file, with a trailing separator.
QString BackupDirOf(const QString& logPath);
// FileCall + "_yyyyMMdd_HHmmss.log".
QString BackupFileName(const QString& fileCall, const QDateTime& taken);
// The time in a backup's name, when the name is one of fileCall's backups.
std::optional<QDateTime> BackupTime(const QString& fileName, const QString& fileCall);

struct BackupInfo {
    QString path;
    QDateTime taken;   // from the name
    int contacts = 0;  // non-empty lines
    // The file's modification time, kept in the order the copies were
    // written even when the clock was set back; invalid: `taken` stands in.
    QDateTime written;
};

// fileCall's backups beside the log, the last written first, with their
// contacts counted when asked (unreadable copies count 0).
std::vector<BackupInfo> ListBackups(const QString& logPath, const QString& fileCall,
                                    bool countContacts = true);
// Which of the backups rotation removes: all but the last kBackupsKept
// written and the newest of each day; never `justWritten`.
QStringList BackupsToRemove(std::vector<BackupInfo> backups, const QString& justWritten = {});

// Writes the bytes as a new backup of the log (atomically: a half-written
// copy is never listed) and rotates. Returns its path; throws
// platform::IoError when it cannot be written.
QString WriteBackup(const QString& logPath, const QString& fileCall, const QByteArray& bytes,
                    const QDateTime& now);

// The log file's bytes as they stand; empty when there is no file yet.
// Throws IoError when it exists but cannot be read.
QByteArray SnapshotLog(const QString& logPath);

// Restores a backup: reads it, backs up the current log, then replaces the
// log atomically with the copy. Returns the path of the backup of the log
// that was replaced. Throws IoError; the log is unchanged then.
QString RestoreBackup(const QString& logPath, const QString& fileCall, const QString& backupPath,
                      const QDateTime& now);

// When a backup is due: the first contact after a quiet minute is backed up
// at once, later ones wait until a minute has passed since the last copy.
class BackupSchedule {
  public:
    explicit BackupSchedule(const platform::Clock& clock, qint64 gapMs = kBackupGapMs);
    // A contact was logged. True: back up now. False: one is pending, due
    // in PendingDueInMs().
    bool ContactLogged();
    // The pending copy's wait, or nullopt when none is pending.
    std::optional<qint64> PendingDueInMs() const;
    // The wait is over: true when the pending copy should be taken now.
    bool PendingDue();
    // A copy was taken now (also at exit or before a restore).
    void Taken();

  private:
    const platform::Clock& clock_;
    qint64 gapMs_;
    std::optional<QDateTime> last_;
    bool pending_ = false;
};

// Runs the schedule: takes a snapshot of the log on the UI thread (a page
// cache read of a few kilobytes) and writes the copy on a worker thread of
// its own, one copy at a time.
class LogBackups : public QObject {
    Q_OBJECT

  public:
    LogBackups(const platform::Clock& clock, QObject* parent = nullptr);
    ~LogBackups() override;

    // On unless turned off (the entry benchmark compares both).
    void SetEnabled(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }

    // After a contact was logged to logPath.
    void ContactLogged(const QString& logPath, const QString& fileCall);
    // A copy now, whatever the schedule says (exit); waits until it is on
    // disk when `wait` is set.
    void BackupNow(const QString& logPath, const QString& fileCall, bool wait);
    // Waits until every copy under way is written.
    void WaitForDone();

  signals:
    // A copy could not be written (emitted on the UI thread).
    void backupFailed(const QString& message);
    // A copy was written (emitted on the UI thread).
    void backupWritten(const QString& path);

  private:
    void Start(const QString& logPath, const QString& fileCall);

    const platform::Clock& clock_;
    BackupSchedule schedule_;
    QThreadPool pool_;
    QTimer pending_;
    QString pendingLog_, pendingCall_;
    bool enabled_ = true;
};

}  // namespace corvatta
