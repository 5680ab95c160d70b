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

#include <algorithm>
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

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(file.errorString(), path));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(file.errorString(), path));
    }
    return bytes;
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
        BackupInfo info{dir.filePath(name), *taken, 0};
        try {
            if (countContacts)
                info.contacts = CountContacts(ReadWhole(info.path));
        } catch (const platform::IoError&) {
            // Still listed: the operator sees it and may try it.
        }
        list.push_back(info);
    }
    std::sort(list.begin(), list.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return list;
}

QStringList BackupsToRemove(std::vector<BackupInfo> backups) {
    std::sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    std::set<QDate> daysSeen;
    QStringList remove;
    for (size_t i = 0; i < backups.size(); ++i) {
        const bool newestOfDay = daysSeen.insert(backups[i].taken.date()).second;
        if (i >= static_cast<size_t>(kBackupsKept) && !newestOfDay) {
            remove.append(backups[i].path);
        }
    }
    return remove;
}

QString WriteBackup(const QString& logPath, const QString& fileCall, const QByteArray& bytes,
                    const QDateTime& now) {
    const QString dirPath = BackupDirOf(logPath);
    if (!QDir().mkpath(dirPath)) {
        throw platform::IoError(QStringLiteral("Mape ni mogoče ustvariti: %1").arg(dirPath));
    }
    QString path = dirPath + BackupFileName(fileCall, now);
    for (int n = 1; QFile::exists(path); ++n) {
        path = dirPath + fileCall + u'_' + now.toString(kStampFormat) + u'_' + QString::number(n) +
               QStringLiteral(".log");
    }
    QString error;
    if (!platform::WriteFileAtomically(path, bytes, &error)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(error, path));
    }
    for (const QString& old : BackupsToRemove(ListBackups(logPath, fileCall, false))) {
        QFile::remove(old);
    }
    return path;
}

QByteArray SnapshotLog(const QString& logPath) {
    if (!QFile::exists(logPath)) {
        return {};
    }
    return ReadWhole(logPath);
}

QString RestoreBackup(const QString& logPath, const QString& fileCall, const QString& backupPath,
                      const QDateTime& now) {
    const QByteArray restored = ReadWhole(backupPath);
    const QString saved = WriteBackup(logPath, fileCall, SnapshotLog(logPath), now);
    QString error;
    if (!platform::WriteFileAtomically(logPath, restored, &error)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(error, logPath));
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
        emit backupFailed(e.message());
        return;
    }
    const QDateTime now = clock_.Now();
    // The destructor waits for the pool, so `this` outlives every copy.
    pool_.start([this, logPath, fileCall, bytes, now] {
        try {
            WriteBackup(logPath, fileCall, bytes, now);
        } catch (const platform::IoError& e) {
            const QString message = e.message();
            QMetaObject::invokeMethod(
                this, [this, message] { emit backupFailed(message); }, Qt::QueuedConnection);
        }
    });
}

}  // namespace corvatta
