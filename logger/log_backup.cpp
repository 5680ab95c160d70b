#include "logger/log_backup.h"

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace corvatta {

namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd_HHmmss");

int CountContacts(const QByteArray& bytes) {
    int n = 0;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            ++n;
        }
    }
    return n;
}

// The texts say first what became of the operator's log, then why.
QString NotBackedUp(const QString& why) {
    return QStringLiteral(
               "Varnostna kopija dnevnika ni shranjena, dnevnik je ostal "
               "nespremenjen: ") +
           why;
}

QString NotRestored(const QString& why) {
    return QStringLiteral("Dnevnik ni obnovljen, ostal je tak, kot je bil: ") + why;
}

QString ReasonAndPath(const QString& reason, const QString& path) {
    return QStringLiteral("%1: %2").arg(reason, path);
}

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw platform::IoError(ReasonAndPath(file.errorString(), path));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) {
        throw platform::IoError(ReasonAndPath(file.errorString(), path));
    }
    return bytes;
}

bool WrittenLater(const BackupInfo& a, const BackupInfo& b) {
    const QDateTime& ta = a.written.isValid() ? a.written : a.taken;
    const QDateTime& tb = b.written.isValid() ? b.written : b.taken;
    return ta != tb ? ta > tb : a.path > b.path;
}

// mkdir itself, as QDir's gives no reason; a file of that name is the
// likeliest one.
void MakeBackupDir(const QString& dirPath) {
    const QString path = QDir::cleanPath(dirPath);
    const QFileInfo info(path);
    if (info.isDir()) {
        return;
    }
    if (info.exists() || info.isSymLink()) {
        throw platform::IoError(
            QStringLiteral("namesto mape %1 je tam datoteka z istim imenom").arg(path));
    }
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST) {
        throw platform::IoError(QStringLiteral("mape ni mogoče ustvariti: ") +
                                ReasonAndPath(qt_error_string(errno), path));
    }
}

// A copy's modification time follows the last copy's even when the clock
// went back, so rotation keeps what was written last.
void StampAfter(const QString& path, const std::vector<BackupInfo>& earlier) {
    QDateTime newest;
    for (const BackupInfo& b : earlier) {
        if (b.written.isValid() && (!newest.isValid() || b.written > newest)) {
            newest = b.written;
        }
    }
    QFile file(path);
    if (!newest.isValid() || QFileInfo(path).lastModified() > newest ||
        !file.open(QIODevice::ReadOnly)) {
        return;
    }
    // A copy that keeps the clock's time is still a good copy: only its
    // place in the rotation may be off.
    file.setFileTime(newest.addSecs(1), QFileDevice::FileModificationTime);
}

}  // namespace

QString BackupDirOf(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + u'/' + kBackupFolder + u'/';
}

QString BackupFileName(const QString& fileCall, const QDateTime& taken) {
    return fileCall + u'_' + taken.toString(kStampFormat) + QStringLiteral(".log");
}

std::optional<QDateTime> BackupTime(const QString& fileName, const QString& fileCall) {
    // A FileCall may hold "_" itself, so the stamp is read from the end;
    // "_n" follows when two copies fell into the same second.
    static const QRegularExpression re(QStringLiteral("^(.+)_(\\d{8}_\\d{6})(?:_\\d+)?\\.log$"));
    const auto m = re.match(fileName);
    if (!m.hasMatch() || m.captured(1) != fileCall) {
        return std::nullopt;
    }
    QDateTime t = QDateTime::fromString(m.captured(2), kStampFormat);
    if (!t.isValid()) {
        return std::nullopt;
    }
    return t;
}

std::vector<BackupInfo> ListBackups(const QString& logPath, const QString& fileCall,
                                    bool countContacts) {
    std::vector<BackupInfo> list;
    const QDir dir(BackupDirOf(logPath));
    const QStringList names = dir.entryList({fileCall + QStringLiteral("_*.log")}, QDir::Files);
    for (const QString& name : names) {
        const auto taken = BackupTime(name, fileCall);
        if (!taken) {
            continue;
        }
        BackupInfo info{dir.filePath(name), *taken, 0,
                        QFileInfo(dir.filePath(name)).lastModified()};
        try {
            if (countContacts)
                info.contacts = CountContacts(ReadWhole(info.path));
        } catch (const platform::IoError&) {
            // Still listed: the operator sees it and may try it.
        }
        list.push_back(info);
    }
    std::sort(list.begin(), list.end(), WrittenLater);
    return list;
}

QStringList BackupsToRemove(std::vector<BackupInfo> backups, const QString& justWritten) {
    std::sort(backups.begin(), backups.end(), WrittenLater);
    std::set<QDate> daysSeen;
    QStringList remove;
    for (size_t i = 0; i < backups.size(); ++i) {
        const bool newestOfDay = daysSeen.insert(backups[i].taken.date()).second;
        if (i >= static_cast<size_t>(kBackupsKept) && !newestOfDay &&
            backups[i].path != justWritten) {
            remove.append(backups[i].path);
        }
    }
    return remove;
}

namespace {

// WriteBackup without the text on the log: its IoError holds the reason only.
QString WriteCopy(const QString& logPath, const QString& fileCall, const QByteArray& bytes,
                  const QDateTime& now) {
    const QString dirPath = BackupDirOf(logPath);
    MakeBackupDir(dirPath);
    const std::vector<BackupInfo> earlier = ListBackups(logPath, fileCall, false);
    QString path = dirPath + BackupFileName(fileCall, now);
    for (int n = 1; QFile::exists(path); ++n) {
        path = dirPath + fileCall + u'_' + now.toString(kStampFormat) + u'_' + QString::number(n) +
               QStringLiteral(".log");
    }
    QString error;
    if (!platform::WriteFileAtomically(path, bytes, &error)) {
        throw platform::IoError(ReasonAndPath(error, path));
    }
    StampAfter(path, earlier);
    for (const QString& old : BackupsToRemove(ListBackups(logPath, fileCall, false), path)) {
        QFile::remove(old);
    }
    return path;
}

}  // namespace

QString WriteBackup(const QString& logPath, const QString& fileCall, const QByteArray& bytes,
                    const QDateTime& now) {
    try {
        return WriteCopy(logPath, fileCall, bytes, now);
    } catch (const platform::IoError& e) {
        throw platform::IoError(NotBackedUp(e.message()));
    }
}

QByteArray SnapshotLog(const QString& logPath) {
    if (!QFile::exists(logPath)) {
        return {};
    }
    return ReadWhole(logPath);
}

QString RestoreBackup(const QString& logPath, const QString& fileCall, const QString& backupPath,
                      const QDateTime& now) {
    QByteArray restored;
    QString saved;
    try {
        restored = ReadWhole(backupPath);
    } catch (const platform::IoError& e) {
        throw platform::IoError(
            NotRestored(QStringLiteral("kopije ni mogoče prebrati: ") + e.message()));
    }
    try {
        saved = WriteCopy(logPath, fileCall, SnapshotLog(logPath), now);
    } catch (const platform::IoError& e) {
        throw platform::IoError(NotRestored(
            QStringLiteral("trenutnega dnevnika ni mogoče prej shraniti v mapo backup: ") +
            e.message()));
    }
    QString error;
    if (!platform::WriteFileAtomically(logPath, restored, &error)) {
        // Only a failed sync after the rename leaves the copy in place.
        bool replaced = false;
        try {
            replaced = ReadWhole(logPath) == restored;
        } catch (const platform::IoError&) {
        }
        throw platform::IoError(
            replaced ? QStringLiteral("Dnevnik je obnovljen iz kopije, a morda ni trajno zapisan "
                                      "na disk: ") +
                           ReasonAndPath(error, logPath)
                     : NotRestored(ReasonAndPath(error, logPath)));
    }
    return saved;
}

BackupSchedule::BackupSchedule(const platform::Clock& clock, qint64 gapMs)
    : clock_(clock), gapMs_(gapMs) {}

bool BackupSchedule::ContactLogged() {
    if (!last_ || last_->msecsTo(clock_.Now()) >= gapMs_) {
        return true;
    }
    pending_ = true;
    return false;
}

std::optional<qint64> BackupSchedule::PendingDueInMs() const {
    if (!pending_ || !last_) {
        return std::nullopt;
    }
    return std::max<qint64>(0, gapMs_ - last_->msecsTo(clock_.Now()));
}

bool BackupSchedule::PendingDue() {
    const auto due = PendingDueInMs();
    return due && *due == 0;
}

void BackupSchedule::Taken() {
    last_ = clock_.Now();
    pending_ = false;
}

LogBackups::LogBackups(const platform::Clock& clock, QObject* parent)
    : QObject(parent), clock_(clock), schedule_(clock) {
    // One copy at a time: rotation of one never races the writing of the next.
    pool_.setMaxThreadCount(1);
    pending_.setSingleShot(true);
    connect(&pending_, &QTimer::timeout, this, [this] {
        if (schedule_.PendingDue()) {
            Start(pendingLog_, pendingCall_);
        } else if (const auto due = schedule_.PendingDueInMs()) {
            pending_.start(static_cast<int>(*due));
        }
    });
}

LogBackups::~LogBackups() {
    pool_.waitForDone();
}

void LogBackups::ContactLogged(const QString& logPath, const QString& fileCall) {
    if (!enabled_) {
        return;
    }
    pendingLog_ = logPath;
    pendingCall_ = fileCall;
    if (schedule_.ContactLogged()) {
        // Started once the key event that logged the contact is handled, so
        // not even the snapshot lengthens the Enter.
        schedule_.Taken();
        QMetaObject::invokeMethod(
            this, [this, logPath, fileCall] { Start(logPath, fileCall); }, Qt::QueuedConnection);
    } else if (const auto due = schedule_.PendingDueInMs(); due && !pending_.isActive()) {
        pending_.start(static_cast<int>(*due));
    }
}

void LogBackups::BackupNow(const QString& logPath, const QString& fileCall, bool wait) {
    Start(logPath, fileCall);
    if (wait) {
        WaitForDone();
    }
}

void LogBackups::WaitForDone() {
    // A copy whose start is still queued counts as under way.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    pool_.waitForDone();
}

void LogBackups::Start(const QString& logPath, const QString& fileCall) {
    pending_.stop();
    schedule_.Taken();
    if (!QFile::exists(logPath)) {
        return;  // nothing logged yet under this callsign
    }
    QByteArray bytes;
    try {
        bytes = SnapshotLog(logPath);
    } catch (const platform::IoError& e) {
        emit backupFailed(
            NotBackedUp(QStringLiteral("dnevnika ni mogoče prebrati: ") + e.message()));
        return;
    }
    const QDateTime now = clock_.Now();
    // The destructor waits for the pool, so `this` outlives every copy.
    pool_.start([this, logPath, fileCall, bytes, now] {
        try {
            const QString path = WriteBackup(logPath, fileCall, bytes, now);
            QMetaObject::invokeMethod(
                this, [this, path] { emit backupWritten(path); }, Qt::QueuedConnection);
        } catch (const platform::IoError& e) {
            const QString message = e.message();
            QMetaObject::invokeMethod(
                this, [this, message] { emit backupFailed(message); }, Qt::QueuedConnection);
        }
    });
}

}  // namespace corvatta
