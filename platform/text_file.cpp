#include "text_file.h"

#include "cp1250.h"
#include "errors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>

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
    // The replacement keeps the access rights of the file it replaces.
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) {
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
