#include "keyer/winkeyer_protocol.h"
#include "keyer/timing_values.h"
#include "tests/support/test_bytes.h"

#include <gtest/gtest.h>

namespace corvatta::keyer {
namespace {

using testing_support::Bytes;

TEST(WinkeyerCommands, BytesOfEachCommand) {
    EXPECT_EQ(HostOpenCommand(), Bytes({0x00, 0x02}));
    EXPECT_EQ(HostCloseCommand(), Bytes({0x00, 0x03}));
    EXPECT_EQ(EchoTestCommand(), Bytes({0x00, 0x04, 0x07}));
    EXPECT_EQ(SetSpeedCommand(25), Bytes({0x02, 0x19}));
    EXPECT_EQ(KeyDownCommand(true), Bytes({0x0B, 0x01}));
    EXPECT_EQ(KeyDownCommand(false), Bytes({0x0B, 0x00}));
    EXPECT_EQ(ClearBufferCommand(), Bytes({0x0A}));
    EXPECT_EQ(SpeedPotSetupCommand(10, 46), Bytes({0x05, 10, 36, 0x00}));
    // Parameters are one byte each, modulo 256.
    EXPECT_EQ(SetSpeedCommand(300), Bytes({0x02, 300 - 256}));
    EXPECT_EQ(SpeedPotSetupCommand(30, 20), Bytes({0x05, 30, 246, 0x00}));
}

TEST(WinkeyerCommands, ModeRegisterFromOptions) {
    KeyerSettings s;
    s.WordSpace = true;
    EXPECT_EQ(ModeRegisterByte(s), 0x00);
    s.WordSpace = false;
    EXPECT_EQ(ModeRegisterByte(s), 0x01);

    // The start value: watchdog off, Iambic A, serial echo, word space.
    s.WordSpace = true;
    s.PaddleWatchdog = true;
    s.PaddleMode = 1;
    s.SerialEcho = true;
    EXPECT_EQ(ModeRegisterByte(s), kStartModeRegister);

    KeyerSettings all;
    all.PaddleWatchdog = all.PaddleEcho = all.PaddleSwap = all.SerialEcho = all.AutoSpace = true;
    all.PaddleMode = 3;
    EXPECT_EQ(ModeRegisterByte(all), 0xFF);

    EXPECT_EQ(PaddleModeBits(0), 0x00);  // Iambic B
    EXPECT_EQ(PaddleModeBits(1), 0x10);  // Iambic A
    EXPECT_EQ(PaddleModeBits(2), 0x20);  // Ultimatic
    EXPECT_EQ(PaddleModeBits(3), 0x30);  // Bug
}

TEST(WinkeyerCommands, SidetoneByte) {
    // "800" is the fifth entry of the list.
    EXPECT_EQ(SidetoneCommand(SidetoneByte(false, 4)), Bytes({0x01, 0x05}));
    EXPECT_EQ(SidetoneCommand(SidetoneByte(true, 4)), Bytes({0x01, 0x85}));
    EXPECT_EQ(SidetoneByte(false, 0), 1);    // 4000 Hz
    EXPECT_EQ(SidetoneByte(true, 8), 0x89);  // 444 Hz
}

// What the keyer's bytes lead to, written down by value ranges, so that the
// text comparisons of the classifier are checked against it for every byte.
ReceivedByte Expected(int b, bool versionKnown) {
    ReceivedByte e;
    e.shownAsCharacter = (b >= 3 && b <= 9) || (b >= 21 && b <= 99) || b >= 200;
    e.clearsCommandLine = b == 43;
    if (b >= 129 && b <= 189) {
        e.report = KeyerReport::SpeedPot;
        e.value = b - 118;
    } else if (!versionKnown && (b == 10 || b == 11 || b == 21 || b == 22 || b == 23 || b == 31)) {
        e.report = KeyerReport::Version;
        e.value = b < 20 ? 1 : (b == 31 ? 3 : 2);
    } else if (b == 7) {
        e.report = KeyerReport::EchoReply;
    } else if (b == 192) {
        e.report = KeyerReport::Idle;
    } else if (b == 196) {
        e.report = KeyerReport::Busy;
    } else if (b == 198) {
        e.report = KeyerReport::Paddle;
    } else if (b == 216) {
        e.report = KeyerReport::KeyDown;
    }
    return e;
}

TEST(WinkeyerReceived, EveryByteValueMatchesTheTable) {
    for (const bool versionKnown : {false, true}) {
        for (int b = 0; b < 256; ++b) {
            SCOPED_TRACE(testing::Message() << "byte " << b << " versionKnown " << versionKnown);
            const ReceivedByte got =
                ClassifyReceivedByte(static_cast<std::uint8_t>(b), versionKnown);
            const ReceivedByte want = Expected(b, versionKnown);
            EXPECT_EQ(got.shownAsCharacter, want.shownAsCharacter);
            EXPECT_EQ(got.clearsCommandLine, want.clearsCommandLine);
            EXPECT_EQ(got.report, want.report);
            EXPECT_EQ(got.value, want.value);
        }
    }
}

TEST(WinkeyerReceived, PotEdgesAndTheTextLookalikes) {
    EXPECT_EQ(ClassifyReceivedByte(128, false).report, KeyerReport::None);  // pot at minimum
    EXPECT_EQ(ClassifyReceivedByte(129, false).value, 11);
    EXPECT_EQ(ClassifyReceivedByte(189, false).value, 71);
    EXPECT_EQ(ClassifyReceivedByte(190, false).report, KeyerReport::None);
    EXPECT_EQ(ClassifyReceivedByte(191, false).report, KeyerReport::None);
    // "13".."19" sort between "128" and "190" as texts; they are no reports.
    for (int b = 13; b <= 19; ++b) {
        const ReceivedByte r = ClassifyReceivedByte(static_cast<std::uint8_t>(b), false);
        EXPECT_EQ(r.report, KeyerReport::None) << b;
        EXPECT_FALSE(r.shownAsCharacter) << b;
    }
    // A second 23 once the version is known is only a character.
    const ReceivedByte again = ClassifyReceivedByte(23, true);
    EXPECT_TRUE(again.shownAsCharacter);
    EXPECT_EQ(again.report, KeyerReport::None);
    EXPECT_EQ(ClassifyReceivedByte(23, false).value, 2);
}

TEST(WinkeyerReceived, CharactersAboveAsciiComeFromTheCodePage) {
    EXPECT_EQ(ReceivedCharacter('A'), QStringLiteral("A"));
    EXPECT_EQ(ReceivedCharacter(200), QString(QChar(0x010C)));  // C with caron
}

TEST(TimingValues, RangeRule) {
    EXPECT_EQ(CheckTimingText(QString(), kLeadLimit).verdict, TimingVerdict::Ignore);
    EXPECT_EQ(CheckTimingText(QStringLiteral("-5"), kLeadLimit).verdict, TimingVerdict::Ignore);
    EXPECT_EQ(CheckTimingText(QStringLiteral("250"), kLeadLimit).verdict, TimingVerdict::Store);
    const TimingCheck over = CheckTimingText(QStringLiteral("300"), kLeadLimit);
    EXPECT_EQ(over.verdict, TimingVerdict::UseLimit);
    EXPECT_EQ(over.limitText, QStringLiteral("250"));
    EXPECT_EQ(CheckTimingText(QStringLiteral("16"), kKeyCompLimit).limitText, QStringLiteral("15"));
    EXPECT_EQ(CheckTimingText(QStringLiteral("x1"), kLeadLimit).verdict, TimingVerdict::NotANumber);
    // The ratio keeps its value for "0" but has no lower limit otherwise.
    EXPECT_EQ(CheckTimingText(QStringLiteral("0"), kRatioLimit, true).verdict,
              TimingVerdict::Ignore);
    EXPECT_EQ(CheckTimingText(QStringLiteral("0"), kLeadLimit).verdict, TimingVerdict::Store);
    EXPECT_EQ(CheckTimingText(QStringLiteral("1"), kRatioLimit, true).verdict,
              TimingVerdict::Store);
    EXPECT_EQ(CheckTimingText(QStringLiteral("68"), kRatioLimit, true).limitText,
              QStringLiteral("67"));
    EXPECT_EQ(TimingValue(QString()), 0);
    EXPECT_EQ(TimingValue(QStringLiteral("50")), 50);
}

}  // namespace
}  // namespace corvatta::keyer
