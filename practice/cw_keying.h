// When the key goes down and up for a text, the way a WinKeyer keys it: a dot
// is 1.2 / WPM seconds, a dash three dots, one unit between the elements of a
// character, three between characters and seven between words, never
// shortened. Speed changes take effect between characters.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <limits>
#include <vector>

namespace corvatta::practice {

inline constexpr int kMinWpm = 5;
inline constexpr int kMaxWpm = 99;

// One unit (a dot) at the speed.
double DotSeconds(int wpm);

// The dots and dashes of a character as the keyer sends it (".-" for A, the
// prosigns the keyer keys for "+", "=", "/", "?" and the like); empty for a
// character it does not key.
QString MorsePattern(QChar character);

// Key down to key up, in seconds from the schedule's clock. A key held down
// (tune) has no end until it is cut.
struct KeyElement {
    double down = 0;
    double up = 0;
};
inline constexpr double kKeyHeld = std::numeric_limits<double>::infinity();

// A character as it was keyed: the keyer echoes it once its last element is
// over.
struct KeyedCharacter {
    QChar character;
    double start = 0;
    double end = 0;  // after its elements, before the gap that follows
    int wpm = 0;
};

class KeyingSchedule {
  public:
    explicit KeyingSchedule(int wpm, double start = 0);

    // The set-speed command: the speed from the next character on, the
    // normal speed a cancelled buffered change returns to.
    void SetSpeed(int wpm);
    // The buffered speed change and its cancel, at their place in the text.
    void BufferedSpeed(int wpm);
    void CancelBufferedSpeed();
    // The mode register's contest spacing: a word space of six units, not
    // seven, from the next space on.
    void SetContestSpacing(bool on) { wordGapUnits_ = on ? 3 : 4; }
    void AddText(const QString& text);
    // What the program writes to the keyer for a message: text, set speed,
    // buffered speed and its cancel; other command bytes are passed over
    // with their parameters.
    void AddKeyerBytes(const QByteArray& bytes);
    // Key down until cut (the keyer's key-down command).
    void KeyDown();

    // The clear-buffer command at a time: an element being keyed ends there
    // and nothing later is keyed. A cut before the schedule's start keys
    // nothing.
    void CutAt(double time);

    const std::vector<KeyElement>& Elements() const { return elements_; }
    const std::vector<KeyedCharacter>& Characters() const { return characters_; }
    double Start() const { return start_; }
    // When the keyer has finished: after the gap that follows the last
    // character, which is when it reports idle.
    double End() const;
    // The end of the last element (the start for an empty schedule).
    double LastKeyUp() const;
    int CurrentWpm() const { return buffered_ > 0 ? buffered_ : speed_; }

  private:
    double Now() const { return segmentStart_ + segmentUnits_ * DotSeconds(segmentWpm_); }
    void StartSegment(int wpm);

    double start_ = 0;
    int speed_ = 20;
    int buffered_ = 0;
    // Times are counted in whole units from the last speed change, so a long
    // text does not gather rounding.
    double segmentStart_ = 0;
    long long segmentUnits_ = 0;
    int segmentWpm_ = 20;
    // What a space adds to the three units that follow every character.
    int wordGapUnits_ = 4;
    double cut_ = kKeyHeld;
    std::vector<KeyElement> elements_;
    std::vector<KeyedCharacter> characters_;
};

// The schedule for one message as the program writes it, from `start` at the
// speed in force.
KeyingSchedule ScheduleKeyerBytes(const QByteArray& bytes, int wpm, double start = 0);

}  // namespace corvatta::practice
