#include "keyer/cw_message.h"
#include "practice/cw_keying.h"

#include <gtest/gtest.h>

namespace corvatta::practice {
namespace {

// "PARIS " is fifty units: the word the speed is defined by.
TEST(KeyingSchedule, ParisTakesSixtySecondsOverWpm) {
    const struct {
        int wpm;
        double dot;
    } cases[] = {{20, 0.06}, {35, 1.2 / 35}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wpm);
        KeyingSchedule s(c.wpm, 10.0);
        for (int i = 0; i < 10; ++i) {
            s.AddText(QStringLiteral("PARIS "));
        }
        EXPECT_NEAR(s.End() - 10.0, 600.0 / c.wpm, 1e-9);
        // P = .--. : dot, gap, dash, gap, dash, gap, dot; then A after three units.
        const auto& e = s.Elements();
        const double expected[][2] = {{0, 1}, {2, 5}, {6, 9}, {10, 11}, {14, 15}, {16, 19}};
        for (size_t i = 0; i < std::size(expected); ++i) {
            EXPECT_NEAR(e[i].down - 10.0, expected[i][0] * c.dot, 1e-9) << i;
            EXPECT_NEAR(e[i].up - 10.0, expected[i][1] * c.dot, 1e-9) << i;
        }
        // The tenth word starts 450 units in: no drift over a long text.
        EXPECT_NEAR(s.Characters()[45].start - 10.0, 450 * c.dot, 1e-9);
    }
}

// The bytes the program writes for "E<E%E" at 20 WPM with a factor of 20:
// the buffered speed (40) holds for the middle character only.
TEST(KeyingSchedule, BufferedSpeedChangeFromTheMessageBytes) {
    keyer::MessageValues v;
    v.Speed = 20;
    v.SpeedUp = 20;
    v.SpeedMode = 0;  // a set-speed command in front
    const QByteArray bytes = keyer::BuildCwMessage(QStringLiteral("E<E%E"), {}, v);
    const KeyingSchedule s = ScheduleKeyerBytes(bytes, 30);
    ASSERT_EQ(s.Characters().size(), 3u);
    const double slow = 0.06, fast = 0.03;
    const double lengths[] = {slow, fast, slow};
    const double starts[] = {0, 4 * slow, 4 * slow + 4 * fast};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(s.Elements()[i].up - s.Elements()[i].down, lengths[i], 1e-9) << i;
        EXPECT_NEAR(s.Elements()[i].down, starts[i], 1e-9) << i;
    }
    EXPECT_EQ(s.Characters()[1].wpm, 40);
    EXPECT_EQ(s.CurrentWpm(), 20);
}

TEST(KeyingSchedule, ProsignsAndUnknownCharacters) {
    const struct {
        QChar c;
        const char* pattern;
    } cases[] = {{u'?', "..--.."}, {u'/', "-..-."}, {u'=', "-...-"}, {u'+', ".-.-."},
                 {u'a', ".-"},     {u'0', "-----"}, {u'~', ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(MorsePattern(c.c), QString::fromLatin1(c.pattern)) << int(c.c.unicode());
    }
    KeyingSchedule s(20);
    s.AddText(QStringLiteral("~E"));  // nothing keyed, no time taken for "~"
    EXPECT_DOUBLE_EQ(s.Elements().front().down, 0.0);
}

// Clear buffer in the middle of a dash: the dash ends there, nothing after.
TEST(KeyingSchedule, CutStopsMidElement) {
    KeyingSchedule s = ScheduleKeyerBytes("TEST", 20);
    s.CutAt(0.1);
    ASSERT_EQ(s.Elements().size(), 1u);
    EXPECT_DOUBLE_EQ(s.Elements()[0].up, 0.1);
    EXPECT_DOUBLE_EQ(s.End(), 0.1);
    EXPECT_EQ(s.Characters().size(), 1u);

    KeyingSchedule tune(20, 5.0);
    tune.KeyDown();
    EXPECT_EQ(tune.End(), kKeyHeld);
    tune.CutAt(7.0);
    EXPECT_DOUBLE_EQ(tune.End(), 7.0);
}

}  // namespace
}  // namespace corvatta::practice
