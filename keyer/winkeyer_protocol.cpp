#include "keyer/winkeyer_protocol.h"

#include "platform/cp1250.h"

#include <algorithm>
#include <iterator>

namespace corvatta::keyer {

QByteArray Command(std::uint8_t command, std::initializer_list<int> parameters) {
    QByteArray bytes;
    bytes.reserve(1 + static_cast<qsizetype>(parameters.size()));
    bytes.append(static_cast<char>(command));
    for (const int p : parameters) {
        bytes.append(static_cast<char>(static_cast<std::uint8_t>(p & 0xFF)));
    }
    return bytes;
}

QByteArray HostOpenCommand() {
    return Command(kAdmin, {kAdminHostOpen});
}

QByteArray HostCloseCommand() {
    return Command(kAdmin, {kAdminHostClose});
}

QByteArray EchoTestCommand() {
    return Command(kAdmin, {kAdminEcho, kEchoTestByte});
}

QByteArray SetSpeedCommand(int wpm) {
    return Command(kSetSpeed, {wpm});
}

QByteArray SidetoneCommand(int sidetoneByte) {
    return Command(kSidetone, {sidetoneByte});
}

QByteArray ModeRegisterCommand(int modeRegister) {
    return Command(kSetModeRegister, {modeRegister});
}

QByteArray KeyDownCommand(bool down) {
    return Command(kKeyImmediate, {down ? 1 : 0});
}

QByteArray ClearBufferCommand() {
    return Command(kClearBuffer);
}

QByteArray SpeedPotSetupCommand(int speedMin, int speedMax) {
    return Command(kSpeedPotSetup, {speedMin, speedMax - speedMin, 0});
}

std::uint8_t PaddleModeBits(int paddleMode) {
    std::uint8_t bits = 0;
    if (paddleMode == 2 || paddleMode == 3) {
        bits |= kModeUltimaticOrBug;
    }
    if (paddleMode == 1 || paddleMode == 3) {
        bits |= kModeIambicAOrBug;
    }
    return bits;
}

std::uint8_t ModeRegisterByte(const KeyerSettings& s) {
    std::uint8_t m = 0;
    if (s.PaddleWatchdog) {
        m |= kModeWatchdogOff;
    }
    if (s.PaddleEcho) {
        m |= kModePaddleEcho;
    }
    m |= PaddleModeBits(s.PaddleMode);
    if (s.PaddleSwap) {
        m |= kModePaddleSwap;
    }
    if (s.SerialEcho) {
        m |= kModeSerialEcho;
    }
    if (s.AutoSpace) {
        m |= kModeAutoSpace;
    }
    if (!s.WordSpace) {
        m |= kModeContestSpacing;
    }
    return m;
}

std::uint8_t SidetoneByte(bool paddleOnly, int sidetoneIndex) {
    return static_cast<std::uint8_t>(((paddleOnly ? kSidetonePaddleOnly : 0) + sidetoneIndex + 1) &
                                     0xFF);
}

int ClampBufferedSpeed(int wpm) {
    return std::clamp(wpm, kMinBufferedSpeed, kMaxBufferedSpeed);
}

namespace {

// The keyer's bytes by value. Earlier versions of the program compared a byte's decimal text
// with other texts ("> 20", between "128" and "190"); these ranges are what those comparisons
// let through (3..9 and 21..99 sort after "20", 100..199 do not), so every byte still means
// what it always has.
struct ByteRange {
    std::uint8_t first;
    std::uint8_t last;
};

constexpr ByteRange kShownAsCharacter[] = {{3, 9}, {21, 99}, {200, 255}};
constexpr std::uint8_t kClearsCommandLine = 43;  // "+"

// Pot reports: 128 + position; 128 itself (the pot at its minimum) and 190 and up are none.
constexpr ByteRange kPotReports = {129, 189};

struct ReportRange {
    ByteRange bytes;
    KeyerReport report;
    int value;               // the version's first digit; 0 otherwise
    bool onlyBeforeVersion;  // a version-looking byte after the version is a character
};

constexpr ReportRange kReports[] = {
    {{10, 11}, KeyerReport::Version, 1, true},
    {{21, 23}, KeyerReport::Version, 2, true},
    {{31, 31}, KeyerReport::Version, 3, true},
    {{kEchoTestByte, kEchoTestByte}, KeyerReport::EchoReply, 0, false},
    {{kStatusIdle, kStatusIdle}, KeyerReport::Idle, 0, false},
    {{kStatusBusy, kStatusBusy}, KeyerReport::Busy, 0, false},
    {{kStatusPaddle, kStatusPaddle}, KeyerReport::Paddle, 0, false},
    {{kStatusKeyDown, kStatusKeyDown}, KeyerReport::KeyDown, 0, false},
};

constexpr bool In(std::uint8_t byte, ByteRange range) {
    return byte >= range.first && byte <= range.last;
}

}  // namespace

ReceivedByte ClassifyReceivedByte(std::uint8_t byte, bool versionKnown) {
    ReceivedByte r;
    r.shownAsCharacter = std::any_of(std::begin(kShownAsCharacter), std::end(kShownAsCharacter),
                                     [byte](ByteRange range) { return In(byte, range); });
    r.clearsCommandLine = byte == kClearsCommandLine;
    if (In(byte, kPotReports)) {
        r.report = KeyerReport::SpeedPot;
        r.value = byte - kPotSpeedOffset;
        return r;
    }
    for (const ReportRange& entry : kReports) {
        if (In(byte, entry.bytes) && !(entry.onlyBeforeVersion && versionKnown)) {
            r.report = entry.report;
            r.value = entry.value;
            break;
        }
    }
    return r;
}

QString ReceivedCharacter(std::uint8_t byte) {
    return QString(QChar(platform::Cp1250ToUnicode(byte)));
}

}  // namespace corvatta::keyer
