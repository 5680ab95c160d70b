#include "practice/virtual_keyer_port.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace corvatta::practice {

namespace {

// A timer further out than this is set again when it fires: nothing on the
// keyer's timeline is that far off unless the key is held down.
constexpr double kLongestWaitSeconds = 60;

}  // namespace

VirtualKeyerPort::VirtualKeyerPort(VirtualKeyer& keyer, KeyerTimeSource now, QObject* parent)
    : QObject(parent), keyer_(keyer), now_(std::move(now)), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("TimerVirtualKeyer"));
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &VirtualKeyerPort::Serve);
}

VirtualKeyerPort::~VirtualKeyerPort() {
    Close();
}

bool VirtualKeyerPort::Fail(const char* what) {
    error_ = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                          QString::fromLocal8Bit(std::strerror(errno)));
    Close();
    return false;
}

bool VirtualKeyerPort::Open() {
    if (IsOpen()) {
        return true;
    }
    error_.clear();
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return Fail("openpty");
    }
    slavePath_ = QString::fromLocal8Bit(name);
    // The master shares the slave's line settings; set them raw from this
    // side as well, so nothing the keyer sends is ever changed on the way.
    if (tcsetattr(master_, TCSANOW, &raw) != 0 ||
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0 ||
        fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0) {
        return Fail("pty");
    }
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &VirtualKeyerPort::Serve);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &VirtualKeyerPort::Serve);
    return true;
}

void VirtualKeyerPort::Close() {
    timer_->stop();
    delete readNotifier_;
    readNotifier_ = nullptr;
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    if (master_ >= 0) {
        ::close(master_);
    }
    if (slave_ >= 0) {
        ::close(slave_);
    }
    master_ = slave_ = -1;
    unwritten_.clear();
}

void VirtualKeyerPort::Serve() {
    if (!IsOpen()) {
        return;
    }
    ReadHost();
    for (const KeyerReply& r : keyer_.TakeReplies(now_())) {
        unwritten_ += char(r.byte);
    }
    WriteHost();
    SetTimer();
}

void VirtualKeyerPort::ReadHost() {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            // Stamped when read: the host's bytes reach the keyer at once.
            keyer_.Receive(QByteArray(buffer, n), now_());
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return;  // nothing more now (EAGAIN), or nothing to read at all
    }
}

void VirtualKeyerPort::WriteHost() {
    while (!unwritten_.isEmpty()) {
        const ssize_t n = ::write(master_, unwritten_.constData(), size_t(unwritten_.size()));
        if (n > 0) {
            unwritten_.remove(0, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // the host's queue is full: the rest when it has room
        }
    }
    writeNotifier_->setEnabled(!unwritten_.isEmpty());
}

void VirtualKeyerPort::SetTimer() {
    const double next = keyer_.NextEventTime();
    if (next == kKeyHeld) {
        timer_->stop();
        return;
    }
    const double wait = std::clamp(next - now_(), 0.0, kLongestWaitSeconds);
    // Rounded up to whole milliseconds (not for the rounding dust of an
    // exact one), and never 0 for something still ahead: woken early, the
    // keyer would have nothing due and the timer would spin.
    const int ms = int(std::ceil(wait * 1000 - 1e-6));
    timer_->start(wait > 0 ? std::max(ms, 1) : 0);
}

}  // namespace corvatta::practice
