// The WinKeyer host protocol as this program speaks it: the command bytes,
// the commands built from them, the mode-register and sidetone bytes, and the
// classification of every byte the keyer sends back. Plain functions, so every
// byte value can be tried without a port.
#pragma once

#include "station/station_state.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <initializer_list>

namespace corvatta::keyer {

// Command bytes, host to keyer.
inline constexpr std::uint8_t kAdmin = 0x00;
inline constexpr std::uint8_t kAdminHostOpen = 0x02;   // after kAdmin
inline constexpr std::uint8_t kAdminHostClose = 0x03;  // after kAdmin
inline constexpr std::uint8_t kAdminEcho = 0x04;       // after kAdmin, then the byte to echo
inline constexpr std::uint8_t kEchoTestByte = 0x07;
inline constexpr std::uint8_t kSidetone = 0x01;
inline constexpr std::uint8_t kSetSpeed = 0x02;
inline constexpr std::uint8_t kUseSpeedPot = 0x00;  // speed value that hands speed to the pot
inline constexpr std::uint8_t kPttLeadTail = 0x04;
inline constexpr std::uint8_t kSpeedPotSetup = 0x05;
inline constexpr std::uint8_t kClearBuffer = 0x0A;
inline constexpr std::uint8_t kKeyImmediate = 0x0B;
inline constexpr std::uint8_t kSetModeRegister = 0x0E;
inline constexpr std::uint8_t kFirstCharExtension = 0x10;
inline constexpr std::uint8_t kKeyingCompensation = 0x11;
inline constexpr std::uint8_t kDitDahRatio = 0x17;
inline constexpr std::uint8_t kBufferedSpeed = 0x1C;
inline constexpr std::uint8_t kCancelBufferedSpeed = 0x1E;

// The mode register sent when the link opens: paddle watchdog disabled,
// Iambic A, serial echo on (so the echo labels follow the CW sent).
inline constexpr std::uint8_t kStartModeRegister = 0x94;

// Mode-register bits.
inline constexpr std::uint8_t kModeWatchdogOff = 0x80;
inline constexpr std::uint8_t kModePaddleEcho = 0x40;
inline constexpr std::uint8_t kModeUltimaticOrBug = 0x20;
inline constexpr std::uint8_t kModeIambicAOrBug = 0x10;
inline constexpr std::uint8_t kModePaddleSwap = 0x08;
inline constexpr std::uint8_t kModeSerialEcho = 0x04;
inline constexpr std::uint8_t kModeAutoSpace = 0x02;
inline constexpr std::uint8_t kModeContestSpacing = 0x01;

inline constexpr std::uint8_t kSidetonePaddleOnly = 0x80;

// Status and report bytes, keyer to host.
inline constexpr std::uint8_t kStatusIdle = 192;
inline constexpr std::uint8_t kStatusBusy = 196;
inline constexpr std::uint8_t kStatusPaddle = 198;
inline constexpr std::uint8_t kStatusKeyDown = 216;
// A pot report is 128 + position; the speed is the byte less this offset.
inline constexpr int kPotSpeedOffset = 118;

// Speeds a buffered speed change may ask for.
inline constexpr int kMinBufferedSpeed = 5;
inline constexpr int kMaxBufferedSpeed = 99;

// The paddle speed assumed until the keyer reports its pot.
inline constexpr int kDefaultPaddleSpeed = 10;

// A command byte followed by its parameters, each one byte holding the value
// modulo 256.
QByteArray Command(std::uint8_t command, std::initializer_list<int> parameters = {});

QByteArray HostOpenCommand();
QByteArray HostCloseCommand();
QByteArray EchoTestCommand();
QByteArray SetSpeedCommand(int wpm);
QByteArray SidetoneCommand(int sidetoneByte);
QByteArray ModeRegisterCommand(int modeRegister);
QByteArray KeyDownCommand(bool down);
QByteArray ClearBufferCommand();
QByteArray SpeedPotSetupCommand(int speedMin, int speedMax);

// The mode-register byte the options describe; bit 0 is set when word space
// is NOT wanted (contest spacing).
std::uint8_t ModeRegisterByte(const KeyerSettings& settings);
// Bits 5 and 4 for a paddle mode: 0 Iambic B, 1 Iambic A, 2 Ultimatic, 3 Bug.
std::uint8_t PaddleModeBits(int paddleMode);
// Bit 7 for paddle-only sidetone plus the frequency code Sidetone + 1.
std::uint8_t SidetoneByte(bool paddleOnly, int sidetoneIndex);

// A buffered speed from "<" or ">" kept within what a keyer accepts.
int ClampBufferedSpeed(int wpm);

// What a received byte leads to.
enum class KeyerReport {
    None,
    SpeedPot,   // value: the paddle speed in WPM
    Version,    // value: the first digit of the version number
    EchoReply,  // the echo-test byte came back
    Paddle,     // break-in: the operator is on the paddle
    Busy,       // the keyer is sending
    Idle,       // the keyer has finished
    KeyDown,    // key held down (tune)
};

struct ReceivedByte {
    // Appended as a character to the command line and the transmitted text
    // (when the byte is not shown as a number).
    bool shownAsCharacter = false;
    // The character "+" empties the command line after being shown.
    bool clearsCommandLine = false;
    KeyerReport report = KeyerReport::None;
    int value = 0;
};

// Classifies one byte by the value ranges of its kind; `versionKnown` stops a
// later version-looking byte from being taken as a version again.
ReceivedByte ClassifyReceivedByte(std::uint8_t byte, bool versionKnown);

// The character a shown byte stands for (cp1250 above 127).
QString ReceivedCharacter(std::uint8_t byte);

}  // namespace corvatta::keyer
