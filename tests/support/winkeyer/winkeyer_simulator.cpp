#include "winkeyer_simulator.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace testing_support {

using namespace winkeyer;

namespace {

// Parameter bytes after each command byte 0x00..0x1F (WinKeyer 2 host protocol), so that text
// and parameters are told apart; 0x00 takes a sub-command first (AdminParameters).
// clang-format off
constexpr int kCommandParameters[32] = {
    1, 1, 1, 1, 2, 3, 1, 0,   // admin sidetone speed weight PTT-lead/tail pot-set-up pause get-pot
    0, 1, 0, 1, 1, 1, 1, 15,  // backspace pins clear key-immediate HSCW Farnsworth mode defaults
    1, 1, 1, 0, 1, 0, 1, 1,   // 1st-ext compensation switchpoint null paddle status pointer ratio
    1, 1, 1, 2, 1, 1, 0, 0,   // PTT key-buffered wait merge speed buffered-HSCW cancel-speed nop
};
// clang-format on

int AdminParameters(std::uint8_t sub) {
    switch (sub) {
        case 0x00:
        case 0x04:
        case 0x0E:
        case 0x0F:
            return 1;  // calibrate, echo, msg, xmode
        default:
            return 0;
    }
}

// Length of a character in dit units: its elements (dit 1, dah 3), the gaps between them (1)
// and the gap after it (3); a space adds the rest of a word gap (7 - 3).
int MorseUnits(std::uint8_t c) {
    static const char* const kLetters[26] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                             "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                             "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                             "...-", ".--",  "-..-", "-.--", "--.."};
    static const char* const kDigits[10] = {"-----", ".----", "..---", "...--", "....-",
                                            ".....", "-....", "--...", "---..", "----."};
    if (c == ' ')
        return 4;
    const char* code = "..--..";  // anything else: as long as "?"
    if (std::isalpha(c))
        code = kLetters[std::toupper(c) - 'A'];
    if (std::isdigit(c))
        code = kDigits[c - '0'];
    if (c == '/')
        code = "-..-.";
    if (c == '=')
        code = "-...-";
    int units = 0;
    for (const char* p = code; *p; ++p)
        units += (*p == '.' ? 1 : 3) + 1;
    return units + 2;  // the last element's gap of 1 grows to the character gap of 3
}

void Fail(const char* what) {
    throw std::runtime_error(std::string("WinKeyerSimulator: ") + what + ": " +
                             std::strerror(errno));
}

}  // namespace

WinKeyerSimulator::WinKeyerSimulator(const QString& linkPath, std::uint8_t version)
    : linkPath_(linkPath), version_(version) {
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
        unsigned char buffer[512];
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
            for (ssize_t i = 0; i < n; ++i) {
                received_.push_back({buffer[i], now});
                Feed(buffer[i], out);
            }
            StepKeying(now, out);
        }
        changed_.notify_all();
        if (!out.isEmpty())
            WriteLocked(out);
    }
}

void WinKeyerSimulator::Feed(std::uint8_t byte, QByteArray& out) {
    if (!command_.empty()) {
        command_.push_back(byte);
        if (command_.size() == 2 && command_[0] == kAdmin) {
            parametersNeeded_ = AdminParameters(byte);
        } else {
            --parametersNeeded_;
        }
    } else if (byte >= 0x20) {
        toKey_.push_back({KeyItem::Character, byte});
        return;
    } else {
        command_.push_back(byte);
        parametersNeeded_ = kCommandParameters[byte];
    }
    if (parametersNeeded_ == 0) {
        Execute(out);
        command_.clear();
    }
}

void WinKeyerSimulator::Execute(QByteArray& out) {
    const std::uint8_t command = command_[0];
    const std::uint8_t p = command_.size() > 1 ? command_[1] : 0;
    switch (command) {
        case kAdmin:
            if (p == kAdminHostOpen) {
                hostOpen_ = true;
                out += static_cast<char>(version_);
            } else if (p == kAdminHostClose) {
                hostOpen_ = false;
            } else if (p == kAdminEcho) {
                out += static_cast<char>(command_[2]);
            }
            break;
        case kSidetone:
            sidetone_ = p;
            break;
        case kSetSpeed:
            speed_ = p;
            break;
        case kSetModeRegister:
            mode_ = p;
            break;
        case kClearBuffer:
            toKey_.clear();
            keying_ = false;
            bufferedSpeed_ = 0;
            if (busy_) {
                busy_ = false;
                out += static_cast<char>(kStatusIdle);
            }
            break;
        case kKeyImmediate:
            keyDown_ = p != 0;
            out += static_cast<char>(keyDown_ ? kStatusKeyDown : kStatusIdle);
            break;
        case kRequestStatus:
            out += static_cast<char>(busy_ ? kStatusBusy : kStatusIdle);
            break;
        case kBufferedSpeed:
            toKey_.push_back({KeyItem::BufferedSpeed, p});
            break;
        case kCancelBufferedSpeed:
            toKey_.push_back({KeyItem::CancelBufferedSpeed, 0});
            break;
        default:
            break;  // understood for its length only
    }
}

double WinKeyerSimulator::DitMsLocked() const {
    const int wpm = bufferedSpeed_ > 0 ? bufferedSpeed_ : (speed_ > 0 ? speed_ : 20);
    return 1200.0 / wpm;
}

void WinKeyerSimulator::StepKeying(Clock::time_point now, QByteArray& out) {
    for (;;) {
        if (keying_) {
            if (now < keyedAt_)
                return;
            keying_ = false;
            keyedText_ += static_cast<char>(keyingChar_);
            if (mode_ & kModeSerialEcho)
                out += static_cast<char>(keyingChar_);
        }
        if (toKey_.empty()) {
            if (busy_) {
                busy_ = false;
                out += static_cast<char>(kStatusIdle);
            }
            return;
        }
        const KeyItem item = toKey_.front();
        toKey_.pop_front();
        if (item.kind == KeyItem::BufferedSpeed) {
            bufferedSpeed_ = item.value;
            continue;
        }
        if (item.kind == KeyItem::CancelBufferedSpeed) {
            bufferedSpeed_ = 0;
            continue;
        }
        if (!busy_) {
            busy_ = true;
            out += static_cast<char>(kStatusBusy);
        }
        keying_ = true;
        keyingChar_ = item.value;
        const double ms = DitMsLocked() * MorseUnits(item.value) * timeScale_;
        keyedAt_ = now + std::chrono::microseconds(static_cast<long long>(ms * 1000));
    }
}

int WinKeyerSimulator::PollTimeoutMs(Clock::time_point now) const {
    if (!keying_)
        return toKey_.empty() ? -1 : 0;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(keyedAt_ - now);
    return left.count() <= 0 ? 0 : static_cast<int>((left.count() + 999) / 1000);
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
    return hostOpen_;
}
int WinKeyerSimulator::Speed() const {
    std::lock_guard lock(mutex_);
    return speed_;
}
std::uint8_t WinKeyerSimulator::ModeRegister() const {
    std::lock_guard lock(mutex_);
    return mode_;
}
std::uint8_t WinKeyerSimulator::Sidetone() const {
    std::lock_guard lock(mutex_);
    return sidetone_;
}
bool WinKeyerSimulator::KeyDown() const {
    std::lock_guard lock(mutex_);
    return keyDown_;
}
bool WinKeyerSimulator::Busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}
QByteArray WinKeyerSimulator::KeyedText() const {
    std::lock_guard lock(mutex_);
    return keyedText_;
}
double WinKeyerSimulator::DitMilliseconds() const {
    std::lock_guard lock(mutex_);
    return DitMsLocked();
}

void WinKeyerSimulator::SetTimeScale(double scale) {
    {
        std::lock_guard lock(mutex_);
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
    SendRaw(QByteArray(1, static_cast<char>(kPotReport | (position & 0x3F))));
}
void WinKeyerSimulator::SendPaddleStatus() {
    SendRaw(QByteArray(1, static_cast<char>(kStatusPaddle)));
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
            return !busy_ && !keying_ && toKey_.empty();
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
