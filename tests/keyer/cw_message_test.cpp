#include "keyer/cw_message.h"
#include "keyer/winkeyer_protocol.h"
#include "tests/support/test_bytes.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvatta::keyer {
namespace {

using testing_support::Bytes;

MessageValues Values(int speed, int speedUp, int speedMode) {
    MessageValues v;
    v.MyCall = QStringLiteral("S59ABC");
    v.MyYearLic = QStringLiteral("09");
    v.CurrentCall = QStringLiteral("S50XYZ");
    v.LastLoggedCall = QStringLiteral("S51LL");
    v.Speed = speed;
    v.SpeedUp = speedUp;
    v.SpeedMode = speedMode;
    return v;
}

TEST(CwMessage, WorkedExampleByteForByte) {
    ShortCharOptions o;
    o.LicCheck = true;
    o.Short0T = true;
    o.Short9N = true;
    QString message = QStringLiteral("5NN # ");
    ApplyShortCharacters(message, o, QStringLiteral("09"));
    EXPECT_EQ(message, QStringLiteral("5NN TN "));
    EXPECT_EQ(BuildCwMessage(QStringLiteral("5NN #"), o, Values(25, 5, 0)),
              Bytes({0x02, 0x19}) + QByteArray("5NN TN "));
}

TEST(CwMessage, ShortCharactersAreIdempotentAndOrdered) {
    ShortCharOptions o;
    o.LicCheck = true;
    o.Short0T = true;
    o.Short0O = true;  // "T" wins: the zeros are gone before this step
    o.Short9N = true;
    QString once = QStringLiteral("599 # 0");
    ApplyShortCharacters(once, o, QStringLiteral("90"));
    EXPECT_EQ(once, QStringLiteral("5NN NT T"));
    QString twice = once;
    ApplyShortCharacters(twice, o, QStringLiteral("90"));
    EXPECT_EQ(twice, once);
}

TEST(CwMessage, LicenceYearShortenedOnlyWithLicCheck) {
    ShortCharOptions o;
    o.Short0T = true;
    MessageValues v = Values(25, 5, 1);
    v.MyYearLic = QStringLiteral("05");
    EXPECT_EQ(BuildCwMessage(QStringLiteral("#"), o, v), QByteArray("05 "));
    o.LicCheck = true;
    EXPECT_EQ(BuildCwMessage(QStringLiteral("#"), o, v), QByteArray("T5 "));
}

TEST(CwMessage, InsertedCallsignsKeepTheirZeros) {
    ShortCharOptions o;
    o.Short0T = true;
    // Own text "0" shortened; the "0" of the correspondent's call is not.
    EXPECT_EQ(BuildCwMessage(QStringLiteral("! 500"), o, Values(25, 5, 1)),
              QByteArray("S50XYZ 5TT "));
}

TEST(CwMessage, MacrosInOrder) {
    const ShortCharOptions none;
    EXPECT_EQ(BuildCwMessage(QStringLiteral("* ! # $"), none, Values(25, 5, 1)),
              QByteArray("S59ABC S50XYZ 09 S51LL "));
    // An empty value inserts nothing.
    MessageValues v = Values(25, 5, 1);
    v.CurrentCall.clear();
    EXPECT_EQ(BuildCwMessage(QStringLiteral("TU!"), none, v), QByteArray("TU "));
}

TEST(CwMessage, SpeedMacros) {
    const ShortCharOptions none;
    EXPECT_EQ(BuildCwMessage(QStringLiteral("<TEST%"), none, Values(25, 5, 1)),
              Bytes({0x1C, 0x1E}) + QByteArray("TEST") + Bytes({0x1E, ' '}));
    EXPECT_EQ(BuildCwMessage(QStringLiteral(">A"), none, Values(25, 5, 1)),
              Bytes({0x1C, 20}) + QByteArray("A "));
    // No speed command in front with the pot in use or ignored.
    EXPECT_EQ(BuildCwMessage(QStringLiteral("A"), none, Values(25, 5, 2)), QByteArray("A "));
}

TEST(CwMessage, SpeedBytesAreNotReplacedAgain) {
    const ShortCharOptions none;
    // 32 + 5 = 37 is the code of "%", 57 + 5 = 62 the code of ">".
    EXPECT_EQ(BuildCwMessage(QStringLiteral("<A"), none, Values(32, 5, 1)),
              Bytes({0x1C, 37}) + QByteArray("A "));
    EXPECT_EQ(BuildCwMessage(QStringLiteral("<A%"), none, Values(57, 5, 1)),
              Bytes({0x1C, 62}) + QByteArray("A") + Bytes({0x1E, ' '}));
}

TEST(CwMessage, BufferedSpeedIsKeptInRange) {
    const ShortCharOptions none;
    // 10 - 20 would wrap to 246 WPM.
    EXPECT_EQ(BuildCwMessage(QStringLiteral(">A"), none, Values(10, 20, 1)),
              Bytes({0x1C, kMinBufferedSpeed}) + QByteArray("A "));
    EXPECT_EQ(BuildCwMessage(QStringLiteral("<A"), none, Values(90, 20, 1)),
              Bytes({0x1C, kMaxBufferedSpeed}) + QByteArray("A "));
    // Stored values from a hand-edited settings file: the sum must not wrap.
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(BuildCwMessage(QStringLiteral("<A"), none, Values(kMax, 1, 1)),
              Bytes({0x1C, kMaxBufferedSpeed}) + QByteArray("A "));
    EXPECT_EQ(BuildCwMessage(QStringLiteral(">A"), none, Values(kMin, 1, 1)),
              Bytes({0x1C, kMinBufferedSpeed}) + QByteArray("A "));
}

TEST(CwMessage, OnlyTextIsSentBetweenCommands) {
    const ShortCharOptions none;
    // From a hand-edited settings file: 0x09 would set the keyer's pin
    // configuration from the "T" after it, 0x02 its speed.
    EXPECT_EQ(BuildCwMessage(QStringLiteral("CQ\tTEST\x02\x7F\r\nS5"), none, Values(25, 5, 1)),
              QByteArray("CQ TEST  S5 "));
    // Macro characters typed into the own call are not sent either.
    MessageValues v = Values(25, 5, 1);
    v.MyCall = QStringLiteral("S5*\nA");
    EXPECT_EQ(BuildCwMessage(QStringLiteral("*"), none, v), QByteArray("S5 A "));
}

TEST(CwMessage, SpeedInFrontIsKeptInRange) {
    const ShortCharOptions none;
    // 0 would hand the speed to the pot, 256 wraps round to 0.
    EXPECT_EQ(BuildCwMessage(QStringLiteral("A"), none, Values(0, 5, 0)),
              Bytes({0x02, kMinBufferedSpeed}) + QByteArray("A "));
    EXPECT_EQ(BuildCwMessage(QStringLiteral("A"), none, Values(256, 5, 0)),
              Bytes({0x02, kMaxBufferedSpeed}) + QByteArray("A "));
}

TEST(CwMessage, EmptyTextSendsAQuestionMark) {
    EXPECT_EQ(BuildCwMessage(QString(), ShortCharOptions{}, Values(25, 5, 1)), QByteArray("? "));
    EXPECT_EQ(BuildCwMessage(QString(), ShortCharOptions{}, Values(25, 5, 0)),
              Bytes({0x02, 25}) + QByteArray("? "));
}

}  // namespace
}  // namespace corvatta::keyer
