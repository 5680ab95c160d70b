#include "serial_device_posix.h"

#include "linux_termios.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <iterator>

namespace serial::posix {

namespace {

using Clock = std::chrono::steady_clock;

struct SpeedConstant {
    int rate;
    speed_t constant;
};
constexpr SpeedConstant kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

// Modem-line ioctls a pseudo-terminal (or another line without modem lines) refuses.
bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL || error == ENOTSUP;
}

// Milliseconds left until `deadline`, for poll; -1 for no deadline.
int MillisecondsLeft(const Clock::time_point* deadline) {
    if (deadline == nullptr)
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The total timeout of a transfer of `size` bytes; no deadline when both parts are 0, as on
// the platform the settings come from.
bool TotalDeadline(int multiplier, int constant, int size, Clock::time_point* deadline) {
    if (multiplier <= 0 && constant <= 0)
        return false;
    const long long ms =
        static_cast<long long>(std::max(multiplier, 0)) * size + std::max(constant, 0);
    *deadline = Clock::now() + std::chrono::milliseconds(ms);
    return true;
}

class PosixEventWaiter final : public DeviceEventWaiter {
  public:
    PosixEventWaiter(int epollFd, int stopFd) : epoll_(epollFd), stop_(stopFd) {}
    ~PosixEventWaiter() override {
        close(epoll_);
        close(stop_);
    }

    DeviceWake Wait() override {
        for (;;) {
            epoll_event events[2];
            const int n = epoll_wait(epoll_, events, 2, -1);
            if (n < 0 && errno == EINTR)
                continue;
            DeviceWake wake;
            if (n < 0) {
                // The wait itself failed: treat the device as failed rather than spin.
                wake.hangUp = true;
                return wake;
            }
            for (int i = 0; i < n; ++i) {
                if (events[i].data.fd == stop_)
                    return DeviceWake{.stop = true};
            }
            for (int i = 0; i < n; ++i) {
                wake.received = wake.received || (events[i].events & EPOLLIN) != 0;
                wake.hangUp = wake.hangUp || (events[i].events & (EPOLLHUP | EPOLLERR)) != 0;
            }
            if (wake.received || wake.hangUp)
                return wake;
        }
    }

    void Stop() override {
        const std::uint64_t one = 1;
        // The counter stays above 0, so every later Wait() sees the stop too.
        while (write(stop_, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

  private:
    int epoll_;
    int stop_;
};

}  // namespace

QString PortPath(const QString& port) {
    return QDir::isAbsolutePath(port) ? port : QStringLiteral("/dev/") + port;
}

int BuildTermios(const LineSettings& s, termios* t, bool* customRate) {
    cfmakeraw(t);
    t->c_cflag |= CLOCAL | CREAD;
    t->c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t->c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);

    // By data bits 5..8, and by parity: none, odd, even, mark, space.
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    static constexpr tcflag_t kParities[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                             PARENB | CMSPAR};
    if (s.ByteSize < 5 || s.ByteSize > 8 || s.Parity < 0 || s.Parity > 4)
        return EINVAL;
    t->c_cflag |= kSizes[s.ByteSize - 5] | kParities[s.Parity];
    if (s.ParityCheck)
        t->c_iflag |= INPCK;
    if (s.StopBits == 2 || (s.StopBits == 1 && s.ByteSize == 5)) {
        t->c_cflag |= CSTOPB;
    } else if (s.StopBits != 0) {
        return EINVAL;  // 1.5 stop bits with more than 5 data bits, or no such value
    }
    // One flag covers both directions of hardware handshaking here.
    if (s.OutxCtsFlow || s.RtsControl == rtsHandshake)
        t->c_cflag |= CRTSCTS;
    if (s.OutX)
        t->c_iflag |= IXON;
    if (s.InX)
        t->c_iflag |= IXOFF;
    t->c_cc[VSTART] = s.XonChar;
    t->c_cc[VSTOP] = s.XoffChar;
    t->c_cc[VMIN] = 0;
    t->c_cc[VTIME] = 0;

    if (s.BaudRate <= 0)
        return EINVAL;
    speed_t speed = B38400;  // a custom rate is set as BOTHER by SetLine
    *customRate = true;
    for (const auto& entry : kSpeeds) {
        if (entry.rate == s.BaudRate) {
            speed = entry.constant;
            *customRate = false;
        }
    }
    cfsetispeed(t, speed);
    cfsetospeed(t, speed);
    return 0;
}

PosixSerialDevice::~PosixSerialDevice() {
    Close();
}

int PosixSerialDevice::Open(const QString& port) {
    if (fd_ >= 0)
        return EBUSY;
    const QByteArray path = QFile::encodeName(PortPath(port));
    const int fd = open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // flock refuses a second opener whoever it is; TIOCEXCL alone does not stop root.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        return error;
    }
    // Keeps out non-root openers that do not flock; a non-tty fails later, at the line
    // settings, as it should.
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    return 0;
}

void PosixSerialDevice::Close() {
    if (fd_ < 0)
        return;
    // TIOCEXCL outlives this descriptor when another one keeps the tty open.
    ioctl(fd_, TIOCNXCL);
    close(fd_);
    fd_ = -1;
}

int PosixSerialDevice::SetQueueSizes(int inputSize, int outputSize) {
    // A tty's queues have fixed sizes; only nonsense is refused, as SetupComm does.
    return inputSize > 0 && outputSize > 0 ? 0 : EINVAL;
}

int PosixSerialDevice::SetLineSettings(const LineSettings& settings) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0)
        return errno;
    bool customRate = false;
    if (const int error = BuildTermios(settings, &t, &customRate))
        return error;
    const TermiosFields fields{t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, t.c_cc, NCCS};
    if (const int error = SetLine(fd_, fields, settings.BaudRate, customRate))
        return error;
    // DTR and RTS held as configured; a handshaking RTS starts raised and the driver moves it.
    if (const int error = SetModemLine(TIOCM_DTR, settings.DtrControl != dtrDisable))
        return error;
    return SetModemLine(TIOCM_RTS, settings.RtsControl != rtsDisable);
}

int PosixSerialDevice::SetModemLine(int line, bool on) {
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return 0;
    return NoModemLines(errno) ? 0 : errno;
}

int PosixSerialDevice::SetOutputLine(OutputLine line, bool on) {
    int bit = line == OutputLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0 ? 0 : errno;
}

int PosixSerialDevice::SetTimeouts(const TComTimeouts& timeouts) {
    timeouts_ = timeouts;
    return 0;
}

IoResult PosixSerialDevice::Write(const char* data, int size) {
    Clock::time_point deadline;
    const bool bounded = TotalDeadline(timeouts_.WriteTotalMultiplier, timeouts_.WriteTotalConstant,
                                       size, &deadline);
    int written = 0;
    while (written < size) {
        const ssize_t n = write(fd_, data + written, static_cast<size_t>(size - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return {written, errno};
        // The driver's queue is full: wait for room until the write timeout expires.
        const int left = MillisecondsLeft(bounded ? &deadline : nullptr);
        if (left == 0)
            break;
        pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, left) < 0 && errno != EINTR)
            return {written, errno};
    }
    return {written, 0};
}

IoResult PosixSerialDevice::Read(char* data, int size) {
    // ReadInterval -1 with both totals 0 means "return at once"; other timeouts wait up to
    // the total for the whole count.
    const bool immediate = timeouts_.ReadInterval == -1 && timeouts_.ReadTotalMultiplier == 0 &&
                           timeouts_.ReadTotalConstant == 0;
    Clock::time_point deadline;
    const bool bounded =
        TotalDeadline(timeouts_.ReadTotalMultiplier, timeouts_.ReadTotalConstant, size, &deadline);
    int got = 0;
    while (got < size) {
        const ssize_t n = read(fd_, data + got, static_cast<size_t>(size - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return {got, errno};
        if (n == 0 || immediate)
            break;  // 0: a hung-up line has nothing more
        const int left = MillisecondsLeft(bounded ? &deadline : nullptr);
        if (left == 0)
            break;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, left) < 0 && errno != EINTR)
            return {got, errno};
    }
    return {got, 0};
}

int PosixSerialDevice::DrainOutput() {
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0)
        return errno;
    Clock::time_point deadline;
    const bool bounded = TotalDeadline(timeouts_.WriteTotalMultiplier, timeouts_.WriteTotalConstant,
                                       queued, &deadline);
    // tcdrain would wait without a bound on a line held by XOFF or CTS; the queue is short
    // and closing is rare, so a millisecond poll of its count does.
    while (queued > 0) {
        if (MillisecondsLeft(bounded ? &deadline : nullptr) == 0)
            return ETIMEDOUT;
        poll(nullptr, 0, 1);
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0)
            return errno;
    }
    // What is left in the UART itself goes out when the descriptor closes.
    return 0;
}

int PosixSerialDevice::Purge(bool input, bool output) {
    if (!input && !output)
        return 0;
    const int queues = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return tcflush(fd_, queues) == 0 ? 0 : errno;
}

int PosixSerialDevice::ResumeOutput() {
    // Linux's TCOON restarts only output that TCOOFF stopped, not output a received XOFF
    // stopped; suspending by hand first makes the restart undo both.
    if (tcflow(fd_, TCOOFF) != 0)
        return errno;
    return tcflow(fd_, TCOON) == 0 ? 0 : errno;
}

IoResult PosixSerialDevice::WaitingCount() {
    int count = 0;
    if (ioctl(fd_, FIONREAD, &count) != 0)
        return {0, errno};
    return {count, 0};
}

int PosixSerialDevice::ModemStatus(unsigned* lines) {
    *lines = 0;
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0)
        return NoModemLines(errno) ? 0 : errno;
    if (bits & TIOCM_CTS)
        *lines |= kModemCts;
    if (bits & TIOCM_DSR)
        *lines |= kModemDsr;
    if (bits & TIOCM_RNG)
        *lines |= kModemRing;
    if (bits & TIOCM_CD)
        *lines |= kModemRlsd;
    return 0;
}

std::unique_ptr<DeviceEventWaiter> PosixSerialDevice::CreateEventWaiter(TComEvents events,
                                                                        int* error) {
    const int epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd < 0) {
        *error = errno;
        return nullptr;
    }
    const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        *error = errno;
        close(epollFd);
        return nullptr;
    }
    auto waiter = std::make_unique<PosixEventWaiter>(epollFd, stopFd);
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stopFd;
    // Edge-triggered, like the platform's "a character was received": a handler that leaves
    // bytes unread gets no further wake until more arrive, instead of a level-triggered spin.
    // Hang-ups (EPOLLHUP, EPOLLERR) are always reported.
    epoll_event device{};
    device.events = EPOLLET | (events.Has(evRxChar) ? EPOLLIN : 0u);
    device.data.fd = fd_;
    if (epoll_ctl(epollFd, EPOLL_CTL_ADD, stopFd, &stop) != 0 ||
        epoll_ctl(epollFd, EPOLL_CTL_ADD, fd_, &device) != 0) {
        *error = errno;
        return nullptr;
    }
    return waiter;
}

}  // namespace serial::posix

namespace serial {

std::unique_ptr<SerialDevice> CreateSystemSerialDevice() {
    return std::make_unique<posix::PosixSerialDevice>();
}

}  // namespace serial
