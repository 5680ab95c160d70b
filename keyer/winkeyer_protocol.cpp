#include "keyer/winkeyer_protocol.h"

#include "platform/cp1250.h"

#include <algorithm>

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

// Texts compare code unit by code unit, a prefix sorting first.
bool SortsAfter(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseSensitive) > 0;
}

bool SortsBefore(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

ReceivedByte ClassifyReceivedByte(std::uint8_t byte, bool versionKnown) {
    ReceivedByte r;
    QString s = QString::number(byte);

    if (SortsAfter(s, QStringLiteral("20"))) {
        r.shownAsCharacter = true;
    }
    if (s == QLatin1String("43")) {
        r.clearsCommandLine = true;
    }

    // The pot reports 128 + position. The texts "13".."19" sort between
    // "128" and "190" too, but those bytes are not pot reports.
    if (SortsAfter(s, QStringLiteral("128")) && SortsBefore(s, QStringLiteral("190"))) {
        if (byte >= 128) {
            r.report = KeyerReport::SpeedPot;
            r.value = byte - kPotSpeedOffset;
        }
        s.clear();
    }
    if (!versionKnown &&
        (s == QLatin1String("31") || s == QLatin1String("21") || s == QLatin1String("22") ||
         s == QLatin1String("23") || s == QLatin1String("11") || s == QLatin1String("10"))) {
        r.report = KeyerReport::Version;
        r.value = s.at(0).digitValue();
        s.clear();
    }
    if (s == QLatin1String("7")) {
        r.report = KeyerReport::EchoReply;
    } else if (s == QLatin1String("198")) {
        r.report = KeyerReport::Paddle;
    } else if (s == QLatin1String("196")) {
        r.report = KeyerReport::Busy;
    } else if (s == QLatin1String("192")) {
        r.report = KeyerReport::Idle;
    } else if (s == QLatin1String("216")) {
        r.report = KeyerReport::KeyDown;
    }
    return r;
}

QString ReceivedCharacter(std::uint8_t byte) {
    return QString(QChar(platform::Cp1250ToUnicode(byte)));
}

}  // namespace corvatta::keyer
