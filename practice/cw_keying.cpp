#include "practice/cw_keying.h"

#include "keyer/winkeyer_protocol.h"

#include <algorithm>

namespace corvatta::practice {

namespace {

// Parameter bytes that follow each command byte below 0x20 in the keyer's
// host protocol, so that a command the schedule does not follow (only set
// speed, buffered speed and its cancel change the keying) is skipped whole. The admin command
// (0x00) takes a sub-command; the echo test another byte after it.
int ParameterCount(unsigned char command, unsigned char next) {
    switch (command) {
        case 0x00:
            return next == 0x04 ? 2 : 1;
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x06:
        case 0x09:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x10:
        case 0x11:
        case 0x12:
        case 0x14:
        case 0x16:
        case 0x17:
        case 0x18:
        case 0x19:
        case 0x1A:
        case 0x1C:
        case 0x1D:
            return 1;
        case 0x04:
        case 0x1B:
            return 2;
        case 0x05:
            return 3;
        case 0x0F:
            return 15;
        default:
            return 0;
    }
}

int KeyerWpm(int wpm) {
    return std::clamp(wpm, kMinWpm, kMaxWpm);
}

struct Pattern {
    char character;
    const char* elements;
};

// Letters, digits and the characters the keyer keys as prosigns.
constexpr Pattern kPatterns[] = {
    {'A', ".-"},     {'B', "-..."},   {'C', "-.-."},    {'D', "-.."},    {'E', "."},
    {'F', "..-."},   {'G', "--."},    {'H', "...."},    {'I', ".."},     {'J', ".---"},
    {'K', "-.-"},    {'L', ".-.."},   {'M', "--"},      {'N', "-."},     {'O', "---"},
    {'P', ".--."},   {'Q', "--.-"},   {'R', ".-."},     {'S', "..."},    {'T', "-"},
    {'U', "..-"},    {'V', "...-"},   {'W', ".--"},     {'X', "-..-"},   {'Y', "-.--"},
    {'Z', "--.."},   {'0', "-----"},  {'1', ".----"},   {'2', "..---"},  {'3', "...--"},
    {'4', "....-"},  {'5', "....."},  {'6', "-...."},   {'7', "--..."},  {'8', "---.."},
    {'9', "----."},  {'"', ".-..-."}, {'\'', ".----."}, {'(', "-.--."},  {')', "-.--.-"},
    {'+', ".-.-."},  {',', "--..--"}, {'-', "-....-"},  {'.', ".-.-.-"}, {'/', "-..-."},
    {':', "---..."}, {';', "-.-.-."}, {'<', ".-.-."},   {'=', "-...-"},  {'>', "...-.-"},
    {'?', "..--.."}, {'@', ".--.-."}, {'[', ".-..."},   {'\\', "-..-."}, {']', "-.--."},
};

}  // namespace

double DotSeconds(int wpm) {
    return 1.2 / KeyerWpm(wpm);
}

QString MorsePattern(QChar character) {
    const QChar upper = character.toUpper();
    for (const Pattern& p : kPatterns) {
        if (upper == QLatin1Char(p.character)) {
            return QString::fromLatin1(p.elements);
        }
    }
    return {};
}

KeyingSchedule::KeyingSchedule(int wpm, double start)
    : start_(start), speed_(KeyerWpm(wpm)), segmentStart_(start), segmentWpm_(speed_) {}

void KeyingSchedule::StartSegment(int wpm) {
    if (wpm == segmentWpm_) {
        return;
    }
    segmentStart_ = Now();
    segmentUnits_ = 0;
    segmentWpm_ = wpm;
}

void KeyingSchedule::SetSpeed(int wpm) {
    // Zero hands the speed to the keyer's pot, which the practice keyer does
    // not have: the speed stays as it is.
    if (wpm <= 0) {
        return;
    }
    speed_ = KeyerWpm(wpm);
}

void KeyingSchedule::BufferedSpeed(int wpm) {
    buffered_ = KeyerWpm(wpm);
}

void KeyingSchedule::CancelBufferedSpeed() {
    buffered_ = 0;
}

void KeyingSchedule::AddText(const QString& text) {
    for (QChar c : text) {
        if (c == u' ') {
            // The character before has left three units; a space makes it
            // seven (six with contest spacing). At the start of the schedule
            // it waits the same four.
            StartSegment(CurrentWpm());
            segmentUnits_ += wordGapUnits_;
            continue;
        }
        const QString pattern = MorsePattern(c);
        if (pattern.isEmpty()) {
            continue;
        }
        StartSegment(CurrentWpm());
        const double dot = DotSeconds(segmentWpm_);
        KeyedCharacter keyed{c.toUpper(), Now(), 0, segmentWpm_};
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            if (i > 0) {
                segmentUnits_ += 1;
            }
            const int length = pattern.at(i) == u'-' ? 3 : 1;
            const double down = Now();
            segmentUnits_ += length;
            elements_.push_back({down, segmentStart_ + segmentUnits_ * dot});
        }
        keyed.end = Now();
        characters_.push_back(keyed);
        segmentUnits_ += 3;
    }
}

void KeyingSchedule::AddKeyerBytes(const QByteArray& bytes) {
    QString text;
    const auto flush = [&] {
        AddText(text);
        text.clear();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b >= 0x20) {
            text += QLatin1Char(char(b));
            continue;
        }
        flush();
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes.at(i + 1)) : 0;
        const int count = ParameterCount(b, next);
        if (i + count >= bytes.size()) {
            break;  // a command cut short ends the message
        }
        if (b == keyer::kSetSpeed) {
            SetSpeed(next);
        } else if (b == keyer::kBufferedSpeed) {
            BufferedSpeed(next);
        } else if (b == keyer::kCancelBufferedSpeed) {
            CancelBufferedSpeed();
        }
        i += count;
    }
    flush();
}

void KeyingSchedule::KeyDown() {
    elements_.push_back({Now(), kKeyHeld});
}

void KeyingSchedule::CutAt(double time) {
    cut_ = std::min(cut_, std::max(time, start_));
    std::erase_if(elements_, [&](const KeyElement& e) { return e.down >= cut_; });
    for (KeyElement& e : elements_) {
        e.up = std::min(e.up, cut_);
    }
    std::erase_if(characters_, [&](const KeyedCharacter& c) { return c.start >= cut_; });
}

double KeyingSchedule::End() const {
    return std::min(std::max(Now(), LastKeyUp()), cut_);
}

double KeyingSchedule::LastKeyUp() const {
    return elements_.empty() ? start_ : elements_.back().up;
}

KeyingSchedule ScheduleKeyerBytes(const QByteArray& bytes, int wpm, double start) {
    KeyingSchedule schedule(wpm, start);
    schedule.AddKeyerBytes(bytes);
    return schedule;
}

}  // namespace corvatta::practice
