// The built-in keyer's bytes and their times on its timeline: the answers
// the program's start-up needs, busy when keying starts, each echo when its
// character is over, idle when the buffer is empty, at PARIS timing; the
// buffered speed; the clear buffer in the middle of a character.
#include "practice/virtual_keyer.h"
#include "keyer/winkeyer_protocol.h"
#include "tests/support/test_bytes.h"

#include <gtest/gtest.h>

namespace corvatta::practice {
namespace {

using testing_support::Bytes;

// What the listener was told, as text: "start 1", "end PARIS  4" ...
class Recorder : public KeyingListener {
  public:
    void KeyingStarted(double t) override { events.push_back("start " + Time(t)); }
    void Keyed(const KeyingSchedule& k) override { elements = k.Elements(); }
    void KeyingCut(double t) override { events.push_back("cut " + Time(t)); }
    void KeyingEnded(const QString& text, double t) override {
        events.push_back("end " + text.toStdString() + "|" + Time(t));
    }
    static std::string Time(double t) { return QString::number(t, 'g', 6).toStdString(); }

    std::vector<std::string> events;
    std::vector<KeyElement> elements;
};

// A keyer opened as the program opens it, with serial echo on.
struct OpenKeyer {
    explicit OpenKeyer(int wpm) {
        keyer.SetListener(&recorder);
        keyer.Receive(keyer::HostOpenCommand() + keyer::SetSpeedCommand(wpm) +
                          keyer::ModeRegisterCommand(keyer::kStartModeRegister),
                      0);
        keyer.TakeReplies(0);
    }
    VirtualKeyer keyer;
    Recorder recorder;
};

TEST(VirtualKeyer, AnswersWhatTheProgramAsks) {
    const struct {
        const char* name;
        QByteArray bytes;
        QByteArray replies;
    } cases[] = {
        {"host open: version 23", keyer::HostOpenCommand(), Bytes({23})},
        {"echo test", keyer::EchoTestCommand(), Bytes({7})},
        {"text before the host is open is not keyed", "TEST", {}},
        {"status", keyer::HostOpenCommand() + Bytes({0x15}), Bytes({23, 192})},
        {"tune on and off",
         keyer::HostOpenCommand() + keyer::KeyDownCommand(true) + keyer::KeyDownCommand(false),
         Bytes({23, 216, 192})},
        {"settings are not text",
         keyer::HostOpenCommand() + keyer::SidetoneCommand(0x85) +
             keyer::SpeedPotSetupCommand(10, 35) + keyer::Command(keyer::kPttLeadTail, {'A', 'B'}) +
             keyer::Command(keyer::kDitDahRatio, {'E'}),
         Bytes({23})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualKeyer keyer;
        keyer.Receive(c.bytes, 1.0);
        QByteArray got;
        for (const KeyerReply& r : keyer.TakeReplies(5.0)) {
            EXPECT_EQ(r.time, 1.0);
            got += char(r.byte);
        }
        EXPECT_EQ(got, c.replies);
        EXPECT_FALSE(keyer.Busy());
    }
}

TEST(VirtualKeyer, KeysParisAtItsSpeed) {
    // When each byte is due, in dots from the start: P .--. is over after
    // 11, A starts 3 later and is over at 19, R at 29, I at 35, S at 43; the
    // space ends the word at 50, where the keyer falls idle.
    const std::vector<std::pair<int, char>> expected = {
        {0, char(196)}, {11, 'P'}, {19, 'A'}, {29, 'R'},
        {35, 'I'},      {43, 'S'}, {50, ' '}, {50, char(192)},
    };
    for (const int wpm : {20, 35}) {
        SCOPED_TRACE(wpm);
        OpenKeyer k(wpm);
        k.keyer.Receive("PARIS ", 2.0);
        const auto replies = k.keyer.TakeReplies(100);
        ASSERT_EQ(replies.size(), expected.size());
        for (size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(char(replies[i].byte), expected[i].second) << i;
            EXPECT_NEAR(replies[i].time, 2.0 + expected[i].first * 1.2 / wpm, 1e-9) << i;
        }
        // "PARIS " takes 60 / WPM seconds.
        EXPECT_NEAR(replies.back().time - 2.0, 60.0 / wpm, 1e-9);
        EXPECT_EQ(
            k.recorder.events,
            (std::vector<std::string>{"start 2", "end PARIS |" + Recorder::Time(2 + 60.0 / wpm)}));
    }
}

TEST(VirtualKeyer, RepliesComeWhenTheirTimeHas) {
    OpenKeyer k(20);
    k.keyer.Receive("EE", 0);
    // E is one dot (60 ms), then three dots of gap.
    EXPECT_EQ(k.keyer.TakeReplies(0).size(), 1u);  // busy
    EXPECT_NEAR(k.keyer.NextEventTime(), 0.06, 1e-9);
    EXPECT_TRUE(k.keyer.TakeReplies(0.059).empty());
    EXPECT_EQ(k.keyer.TakeReplies(0.06).size(), 1u);
    // Text that comes while the keyer is busy follows in the same run.
    k.keyer.Receive("T", 0.1);
    const auto rest = k.keyer.TakeReplies(10);
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_NEAR(rest[0].time, 0.30, 1e-9);  // the second E
    EXPECT_NEAR(rest[1].time, 0.66, 1e-9);  // T, a dash, from 0.48
    EXPECT_EQ(rest[2].byte, keyer::kStatusIdle);
    EXPECT_NEAR(rest[2].time, 0.84, 1e-9);
    EXPECT_EQ(k.keyer.NextEventTime(), kKeyHeld);
}

TEST(VirtualKeyer, BufferedSpeedChangesAtItsPlace) {
    OpenKeyer k(20);
    // E at 20 WPM, E at 30 after a buffered change, E at 20 after its cancel.
    k.keyer.Receive("E" + keyer::Command(keyer::kBufferedSpeed, {30}) + "E" +
                        keyer::Command(keyer::kCancelBufferedSpeed) + "E",
                    0);
    std::vector<double> times;
    for (const KeyerReply& r : k.keyer.TakeReplies(10)) {
        times.push_back(r.time);
    }
    const std::vector<double> expected = {0, 0.06, 0.28, 0.46, 0.64};
    ASSERT_EQ(times.size(), expected.size());
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_NEAR(times[i], expected[i], 1e-9) << i;
    }
    // An immediate speed change takes the characters not yet started.
    k.keyer.Receive("EE", 20);
    k.keyer.Receive(keyer::SetSpeedCommand(40), 20.1);
    const auto replies = k.keyer.TakeReplies(30);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_NEAR(replies[2].time, 20.24 + 0.03, 1e-9);
}

TEST(VirtualKeyer, ClearStopsAtOnceMidCharacter) {
    // "TEST" at 20 WPM: T keys from 0 to 0.18, E from 0.36.
    const struct {
        double clearAt;
        QByteArray replies;
        std::string ended;
    } cases[] = {
        {0.10, Bytes({196, 192}), "end |0.1"},
        {0.25, QByteArray("\xC4T\xC0"), "end T|0.25"},
        {0.37, QByteArray("\xC4T\xC0"), "end T|0.37"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clearAt);
        OpenKeyer k(20);
        k.keyer.Receive("TEST", 0);
        k.keyer.Receive(keyer::ClearBufferCommand(), c.clearAt);
        QByteArray got;
        for (const KeyerReply& r : k.keyer.TakeReplies(10)) {
            EXPECT_LE(r.time, c.clearAt);
            got += char(r.byte);
        }
        EXPECT_EQ(got, c.replies);
        EXPECT_EQ(k.recorder.events, (std::vector<std::string>{
                                         "start 0", "cut " + Recorder::Time(c.clearAt), c.ended}));
        // Nothing was keyed after the clear.
        ASSERT_FALSE(k.recorder.elements.empty());
        EXPECT_LT(k.recorder.elements.back().down, c.clearAt);
        EXPECT_FALSE(k.keyer.Busy());
    }
}

}  // namespace
}  // namespace corvatta::practice
