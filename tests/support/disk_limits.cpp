#include "disk_limits.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>

namespace testing_support {

QString RunWithFileSizeLimit(off_t limit, const std::function<QString()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return QStringLiteral("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        return QStringLiteral("fork failed");
    }
    if (pid == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{rlim_t(limit), rlim_t(limit)};
        QString result;
        if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) {
            result = QStringLiteral("setrlimit failed");
        } else {
            try {
                result = body();
            } catch (const std::exception& e) {
                result = QStringLiteral("exception: ") + QString::fromLocal8Bit(e.what());
            }
        }
        const QByteArray bytes = result.toUtf8();
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(fds[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) {
                break;
            }
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        out.append(buf, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) {
        return QStringLiteral("child died");
    }
    return QString::fromUtf8(out);
}

SmallTmpfs::SmallTmpfs(size_t bytes) {
    const QByteArray options = "size=" + QByteArray::number(qulonglong(bytes));
    if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                options.constData()) == 0) {
        mounted_ = true;
    } else {
        reason_ = QString::fromLocal8Bit(std::strerror(errno));
    }
}

SmallTmpfs::~SmallTmpfs() {
    if (mounted_) {
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
}

int SmallTmpfs::FillUp() const {
    const int fd = ::open(QFile::encodeName(File(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno;
    }
    const QByteArray block(4096, 'x');
    int err = 0;
    while (err == 0) {
        const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
        if (n < 0) {
            err = errno;
        }
    }
    // Fill the last partial page too: single bytes until none fit.
    while (::write(fd, "x", 1) == 1) {
    }
    ::close(fd);
    return err;
}

}  // namespace testing_support
