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

// Opened as the program opens it (serial echo on), then `bytes` at 0.
std::vector<KeyerReply> Key(const QByteArray& bytes, int wpm, double clearAt = -1) {
    VirtualKeyer keyer;
    keyer.Receive(keyer::HostOpenCommand() + keyer::SetSpeedCommand(wpm) +
                      keyer::ModeRegisterCommand(keyer::kStartModeRegister),
                  0);
    keyer.TakeReplies(0);
    keyer.Receive(bytes, 0);
    if (clearAt >= 0) {
        keyer.Receive(keyer::ClearBufferCommand(), clearAt);
    }
    return keyer.TakeReplies(100);
}

TEST(VirtualKeyer, AnswersWhatTheProgramAsks) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {keyer::HostOpenCommand(), Bytes({23})},
        {keyer::EchoTestCommand(), Bytes({7})},
        {keyer::HostOpenCommand() + keyer::KeyDownCommand(true) + keyer::KeyDownCommand(false),
         Bytes({23, 216, 192})},
        {keyer::HostOpenCommand() + keyer::SpeedPotSetupCommand(10, 35) +
             keyer::Command(keyer::kPttLeadTail, {'A', 'B'}) + Bytes({0x15}),
         Bytes({23, 192})},  // settings are never keyed as text
    };
    for (const auto& [bytes, replies] : cases) {
        VirtualKeyer keyer;
        keyer.Receive(bytes, 1.0);
        QByteArray got;
        for (const KeyerReply& r : keyer.TakeReplies(5.0)) {
            EXPECT_EQ(r.time, 1.0);
            got += char(r.byte);
        }
        EXPECT_EQ(got, replies) << bytes.toHex().toStdString();
    }
}

TEST(VirtualKeyer, KeysParisAtItsSpeed) {
    // Due after so many dots: P .--. is over after 11, A starts 3 later and
    // is over at 19, R at 29, I at 35, S at 43; the space ends the word at
    // 50 ("PARIS " takes 60 / WPM s), where the keyer falls idle.
    const std::vector<std::pair<int, char>> expected = {{0, char(196)}, {11, 'P'},      {19, 'A'},
                                                        {29, 'R'},      {35, 'I'},      {43, 'S'},
                                                        {50, ' '},      {50, char(192)}};
    for (const int wpm : {20, 35}) {
        const auto replies = Key("PARIS ", wpm);
        ASSERT_EQ(replies.size(), expected.size());
        for (size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(char(replies[i].byte), expected[i].second) << wpm << " " << i;
            EXPECT_NEAR(replies[i].time, expected[i].first * 1.2 / wpm, 1e-9) << wpm << " " << i;
        }
    }
}

TEST(VirtualKeyer, BufferedSpeedChangesAtItsPlace) {
    // E (one dot and three of gap) at 20 WPM, at 30 after the buffered
    // change, at 20 after its cancel.
    const auto replies = Key("E" + keyer::Command(keyer::kBufferedSpeed, {30}) + "E" +
                                 keyer::Command(keyer::kCancelBufferedSpeed) + "E",
                             20);
    const double expected[] = {0, 0.06, 0.28, 0.46, 0.64};
    ASSERT_EQ(replies.size(), std::size(expected));
    for (size_t i = 0; i < replies.size(); ++i) {
        EXPECT_NEAR(replies[i].time, expected[i], 1e-9) << i;
    }
}

TEST(VirtualKeyer, ClearStopsAtOnceMidCharacter) {
    // "TEST" at 20 WPM: T keys from 0 to 0.18, E from 0.36 to 0.42.
    const std::pair<double, QByteArray> cases[] = {
        {0.10, Bytes({196, 192})},
        {0.25, QByteArray("\xC4T\xC0")},
        {0.37, QByteArray("\xC4T\xC0")},
    };
    for (const auto& [clearAt, expected] : cases) {
        QByteArray got;
        for (const KeyerReply& r : Key("TEST", 20, clearAt)) {
            EXPECT_LE(r.time, clearAt);
            got += char(r.byte);
        }
        EXPECT_EQ(got, expected) << clearAt;
    }
}

TEST(VirtualKeyer, KeyedTextHoldsOnlyCharactersKeyedInFull) {
    // "TEST" at 20 WPM as above: T is not over at 0.17; the clear cuts the first E.
    VirtualKeyer keyer;
    keyer.Receive(keyer::HostOpenCommand() + "TEST", 0);
    keyer.AdvanceTo(0.17);
    EXPECT_EQ(keyer.KeyedText(), "");
    keyer.Receive(keyer::ClearBufferCommand(), 0.37);
    keyer.Receive("e", 1);
    keyer.AdvanceTo(2);
    EXPECT_EQ(keyer.KeyedText(), "TE");
}

}  // namespace
}  // namespace corvatta::practice
