#include "winkeyer_simulator.h"

#include "practice/cw_keying.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace testing_support {

using corvatta::practice::KeyerReply;
using corvatta::practice::kKeyHeld;

namespace {

void Fail(const char* what) {
    throw std::runtime_error(std::string("WinKeyerSimulator: ") + what + ": " +
                             std::strerror(errno));
}

}  // namespace

WinKeyerSimulator::WinKeyerSimulator(const QString& linkPath, std::uint8_t version)
    : linkPath_(linkPath), keyer_(version), scaleSetAt_(Clock::now()) {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        Fail("openpty");
    slavePath_ = QString::fromLocal8Bit(name);
    termios raw{};
    tcgetattr(master_, &raw);
    cfmakeraw(&raw);
    tcsetattr(master_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        Fail("eventfd");
    if (!linkPath_.isEmpty()) {
        // Made beside the link and renamed over it, so the name never points nowhere.
        const QByteArray link = QFile::encodeName(linkPath_);
        const QByteArray temp = link + ".new";
        unlink(temp.constData());
        if (symlink(name, temp.constData()) != 0 ||
            rename(temp.constData(), link.constData()) != 0) {
            Fail("symlink");
        }
    }
    thread_ = std::thread([this] { Run(); });
}

WinKeyerSimulator::~WinKeyerSimulator() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    Wake();
    thread_.join();
    close(master_);  // the hang-up the open port sees
    close(slave_);
    close(wakeFd_);
    if (!linkPath_.isEmpty()) {
        const QByteArray link = QFile::encodeName(linkPath_);
        char target[256] = {};
        if (readlink(link.constData(), target, sizeof target - 1) > 0 &&
            QString::fromLocal8Bit(target) == slavePath_) {
            unlink(link.constData());
        }
    }
}

QString WinKeyerSimulator::PortPath() const {
    return linkPath_.isEmpty() ? slavePath_ : linkPath_;
}

// --- The keyer's thread -----------------------------------------------------------------

void WinKeyerSimulator::Run() {
    for (;;) {
        int timeout = -1;
        bool paused = false;
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
            timeout = PollTimeoutMs(Clock::now());
            paused = paused_;
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {master_, static_cast<short>(paused ? 0 : POLLIN), 0}};
        poll(fds, 2, timeout);
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            while (read(wakeFd_, &count, sizeof count) > 0) {
            }
        }
        char buffer[512];
        ssize_t n = 0;
        if (fds[1].revents & POLLIN)
            n = read(master_, buffer, sizeof buffer);
        // The answers are written before anything the test sends from its side, so that a
        // byte sent once the keyer is seen idle comes after the idle report.
        std::lock_guard writeLock(writeMutex_);
        QByteArray out;
        {
            std::lock_guard lock(mutex_);
            const Clock::time_point now = Clock::now();
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i)
                    received_.push_back({static_cast<std::uint8_t>(buffer[i]), now});
                keyer_.Receive(QByteArray(buffer, n), KeyerTimeLocked(now));
            }
            TakeDueLocked(now, out);
        }
        changed_.notify_all();
        if (!out.isEmpty())
            WriteLocked(out);
    }
}

double WinKeyerSimulator::KeyerTimeLocked(Clock::time_point now) const {
    if (timeScale_ <= 0)
        return keyerTimeAtScale_;
    const std::chrono::duration<double> real = now - scaleSetAt_;
    return keyerTimeAtScale_ + std::max(real.count(), 0.0) / timeScale_;
}

void WinKeyerSimulator::TakeDueLocked(Clock::time_point now, QByteArray& out) {
    for (;;) {
        for (const KeyerReply& r : keyer_.TakeReplies(KeyerTimeLocked(now)))
            out += static_cast<char>(r.byte);
        const double next = keyer_.NextEventTime();
        if (timeScale_ > 0 || next == kKeyHeld)
            return;
        // Everything the keyer has to do has come due: its time moves straight to the next
        // thing. After the replies due are taken that is always later, so this ends once
        // the buffer is keyed and idle has been reported.
        keyerTimeAtScale_ = std::max(keyerTimeAtScale_, next);
    }
}

int WinKeyerSimulator::PollTimeoutMs(Clock::time_point now) const {
    const double next = keyer_.NextEventTime();
    if (next == kKeyHeld)
        return -1;
    const double wait = (next - KeyerTimeLocked(now)) * timeScale_;
    if (timeScale_ <= 0 || wait <= 0)
        return 0;
    // Rounded up, so the keyer is never woken before it has something to do.
    return std::max(1, static_cast<int>(std::ceil(wait * 1000)));
}

void WinKeyerSimulator::WriteToHost(const QByteArray& bytes) {
    std::lock_guard lock(writeMutex_);
    WriteLocked(bytes);
}

void WinKeyerSimulator::WriteLocked(const QByteArray& bytes) {
    qsizetype done = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (done < bytes.size() && Clock::now() < deadline) {
        const ssize_t n = write(master_, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            poll(&p, 1, 10);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

void WinKeyerSimulator::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

// --- The test's side --------------------------------------------------------------------

bool WinKeyerSimulator::HostOpen() const {
    std::lock_guard lock(mutex_);
    return keyer_.HostOpen();
}
int WinKeyerSimulator::Speed() const {
    std::lock_guard lock(mutex_);
    return keyer_.Speed();
}
std::uint8_t WinKeyerSimulator::ModeRegister() const {
    std::lock_guard lock(mutex_);
    return keyer_.ModeRegister();
}
std::uint8_t WinKeyerSimulator::Sidetone() const {
    std::lock_guard lock(mutex_);
    return keyer_.Sidetone();
}
bool WinKeyerSimulator::KeyDown() const {
    std::lock_guard lock(mutex_);
    return keyer_.KeyDown();
}
bool WinKeyerSimulator::Busy() const {
    std::lock_guard lock(mutex_);
    return keyer_.Busy();
}
QByteArray WinKeyerSimulator::KeyedText() const {
    std::lock_guard lock(mutex_);
    return keyer_.KeyedText().toLatin1();
}
double WinKeyerSimulator::DitMilliseconds() const {
    std::lock_guard lock(mutex_);
    return 1000 * corvatta::practice::DotSeconds(keyer_.KeyingWpm());
}

void WinKeyerSimulator::SetTimeScale(double scale) {
    {
        std::lock_guard lock(mutex_);
        const Clock::time_point now = Clock::now();
        keyerTimeAtScale_ = KeyerTimeLocked(now);
        scaleSetAt_ = now;
        timeScale_ = scale > 0 ? scale : 0.0;
    }
    Wake();
}
double WinKeyerSimulator::TimeScale() const {
    std::lock_guard lock(mutex_);
    return timeScale_;
}

void WinKeyerSimulator::SendRaw(const QByteArray& bytes) {
    WriteToHost(bytes);
}
void WinKeyerSimulator::SendPotReport(int position) {
    SendRaw(QByteArray(1, static_cast<char>(winkeyer::kPotReport | (position & 0x3F))));
}
void WinKeyerSimulator::SendPaddleStatus() {
    SendRaw(QByteArray(1, static_cast<char>(winkeyer::kStatusPaddle)));
}

std::vector<WinKeyerSimulator::ReceivedByte> WinKeyerSimulator::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

QByteArray WinKeyerSimulator::ReceivedBytes() const {
    std::lock_guard lock(mutex_);
    QByteArray bytes;
    for (const ReceivedByte& r : received_)
        bytes += static_cast<char>(r.value);
    return bytes;
}

void WinKeyerSimulator::ClearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool WinKeyerSimulator::WaitFor(const std::function<bool()>& condition, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::unique_lock lock(mutex_);
        // Every change notifies; the short bound covers a change between the check and here.
        changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
}

bool WinKeyerSimulator::WaitForReceived(const QByteArray& bytes, int timeoutMs) const {
    return WaitFor([&] { return ReceivedBytes().contains(bytes); }, timeoutMs);
}

bool WinKeyerSimulator::WaitForIdle(int timeoutMs) const {
    return WaitFor(
        [&] {
            std::lock_guard lock(mutex_);
            return !keyer_.Busy();
        },
        timeoutMs);
}

void WinKeyerSimulator::PauseReading(bool paused) {
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    Wake();
}

}  // namespace testing_support
