#include "text_file.h"

#include "cp1250.h"
#include "errors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

QString Reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// write() may take fewer bytes than asked or be interrupted; a write that
// takes nothing at all means there is no room left.
bool WriteAll(int fd, const QByteArray& bytes, int* err) {
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            *err = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    return true;
}

// EINVAL: the file lives somewhere that has nothing to sync (a device, some
// special file systems); its data are as safe as they can be.
bool Sync(int fd, int* err) {
    if (::fsync(fd) == 0 || errno == EINVAL) {
        return true;
    }
    *err = errno;
    return false;
}

// The file a name stands for: a link is followed, so that replacing the
// file keeps the link and writes where it points.
QString ReplacedFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.isSymLink()) {
        return info.symLinkTarget();
    }
    return info.absoluteFilePath();
}

// Whether the file's own access rights let this process write it. The rename of a rewrite
// needs only the folder's rights, so without this a write-protected file would be replaced
// all the same, and would then belong to whoever replaced it. The administrator passes
// every check of the system; for it the rights are read as the system reads them for
// anyone else, so a file marked read-only, or one whose owner lets nobody else write it,
// is left alone by this program whoever runs it.
bool InGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    const int n = ::getgroups(0, nullptr);
    if (n <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    const int got = ::getgroups(n, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.end();
}

bool MayRewrite(const QByteArray& fileName, const struct stat& st) {
    const uid_t uid = ::geteuid();
    if (uid != 0) {
        // The system's own answer, with any access lists it keeps.
        return ::faccessat(AT_FDCWD, fileName.constData(), W_OK, AT_EACCESS) == 0;
    }
    if (st.st_uid == uid) {
        return (st.st_mode & S_IWUSR) != 0;
    }
    if (InGroup(st.st_gid)) {
        return (st.st_mode & S_IWGRP) != 0;
    }
    return (st.st_mode & S_IWOTH) != 0;
}

// A new, empty temporary beside the target, where a rename over the target
// cannot cross a file system. Hidden, and named after the target, so a left
// over one (a power cut mid-write) says what it was.
int CreateTemporary(const QString& target, QByteArray* tmpName, int* err) {
    static std::atomic<unsigned> counter{0};
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                             QStringLiteral(".%1.%2.tmp").arg(::getpid()).arg(counter++);
        *tmpName = QFile::encodeName(name);
        const int fd = ::open(tmpName->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            *err = errno;
            return -1;
        }
    }
    *err = EEXIST;
    return -1;
}

}  // namespace

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

QString JoinLinesCrLf(const QStringList& lines) {
    QString out;
    qsizetype size = 0;
    for (const QString& l : lines) {
        size += l.size() + 2;
    }
    out.reserve(size);
    for (const QString& l : lines) {
        out += l;
        out += QLatin1String("\r\n");
    }
    return out;
}

bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    // Unbuffered writes, each checked: a full disk shows at the write that
    // hits it, never later, when nothing would look at the result.
    const QString target = ReplacedFile(fileName);
    const QByteArray targetName = QFile::encodeName(target);
    // The replacement keeps the access rights of the file it replaces, and respects them.
    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && !MayRewrite(targetName, old)) {
        if (error)
            *error = Reason(EACCES);
        return false;
    }
    int err = 0;
    QByteArray tmpName;
    const int fd = CreateTemporary(target, &tmpName, &err);
    if (fd < 0) {
        if (error)
            *error = Reason(err);
        return false;
    }
    const auto fail = [&](int e, bool open) {
        if (open) {
            ::close(fd);
        }
        ::unlink(tmpName.constData());
        if (error)
            *error = Reason(e);
        return false;
    };
    // A file of another user that this one may write stays that user's where the system
    // allows it (the administrator's rewrite); otherwise it is this user's from now on.
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not allowed to give it away: the rewrite goes on with the rights kept below.
    }
    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0) {
        return fail(errno, true);
    }
    if (!WriteAll(fd, bytes, &err) || !Sync(fd, &err)) {
        return fail(err, true);
    }
    if (::close(fd) != 0) {
        return fail(errno, false);
    }
    if (::rename(tmpName.constData(), targetName.constData()) != 0) {
        return fail(errno, false);
    }
    // Until the folder is on disk, a power cut may bring the old name back.
    const QByteArray dir = QFile::encodeName(QFileInfo(target).absolutePath());
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        if (error)
            *error = Reason(errno);
        return false;
    }
    const bool synced = Sync(dirFd, &err);
    ::close(dirFd);
    if (!synced) {
        if (error)
            *error = Reason(err);
        return false;
    }
    return true;
}

QStringList ReadTextLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw IoError(QStringLiteral("%1: %2").arg(file.errorString(), fileName));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw IoError(QStringLiteral("%1: %2").arg(file.errorString(), fileName));
    }
    return SplitLines(DecodeCp1250(bytes));
}

void AppendTextLine(const QString& fileName, const QString& line) {
    const auto fail = [&fileName](int err) {
        throw IoError(QStringLiteral("%1: %2").arg(Reason(err), fileName));
    };
    QByteArray bytes = EncodeCp1250(line) + "\r\n";
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail(errno);
    }
    // The administrator's open passes a read-only mark; the line must not.
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        fail(err);
    }
    if (!MayRewrite(QFile::encodeName(fileName), st)) {
        ::close(fd);
        fail(EACCES);
    }
    const off_t before = ::lseek(fd, 0, SEEK_END);
    // Whatever step fails, the file goes back to what it was: a line that
    // did not make it whole must not turn up half on the next read.
    const auto cutBackAndFail = [&](int err) {
        if (before >= 0 && ::ftruncate(fd, before) == 0) {
            ::fsync(fd);
        }
        ::close(fd);
        fail(err);
    };
    // A file last saved by a text editor may end inside a line; the new
    // line must not be glued onto it.
    char last = '\n';
    if (before > 0) {
        const ssize_t n = ::pread(fd, &last, 1, before - 1);
        if (n != 1) {
            cutBackAndFail(n < 0 ? errno : EIO);
        }
    }
    if (last != '\n' && last != '\r') {
        bytes.prepend("\r\n");
    }
    int err = 0;
    if (!WriteAll(fd, bytes, &err) || !Sync(fd, &err)) {
        cutBackAndFail(err);
    }
    if (::close(fd) != 0) {
        fail(errno);
    }
}

}  // namespace platform
