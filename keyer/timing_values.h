// The keyer's timing values (PTT lead and tail, first-character extension,
// keying compensation, dit/dah ratio): the range rule applied as each edit
// changes, and the numbers "Write to winkeyer" sends.
#pragma once

#include <QString>

namespace corvatta::keyer {

inline constexpr int kLeadLimit = 250;
inline constexpr int kTailLimit = 250;
inline constexpr int kFirstCarExtLimit = 250;
inline constexpr int kKeyCompLimit = 15;
inline constexpr int kRatioLimit = 67;

enum class TimingVerdict {
    Ignore,      // empty, negative, or a ratio of "0": keep the stored value
    Store,       // store the text as it stands
    UseLimit,    // replace the edit's text with the limit (which is then stored)
    NotANumber,  // a pasted text that is no number: report it, store nothing
};

struct TimingCheck {
    TimingVerdict verdict = TimingVerdict::Ignore;
    QString limitText;  // for UseLimit
};

// The rule for one edit's new text; `isRatio` adds the ratio's "0" rule.
TimingCheck CheckTimingText(const QString& text, int limit, bool isRatio = false);

// The number a stored timing text stands for; an empty or unreadable text
// counts as 0.
int TimingValue(const QString& stored);

// The standard text of a failed number conversion.
QString NotAnIntegerMessage(const QString& text);

}  // namespace corvatta::keyer
