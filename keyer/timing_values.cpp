#include "keyer/timing_values.h"

#include "platform/ini_file.h"

namespace corvatta::keyer {

TimingCheck CheckTimingText(const QString& text, int limit, bool isRatio) {
    TimingCheck c;
    if (text.isEmpty()) {
        return c;
    }
    const std::optional<int> n = platform::ParseIniInteger(text);
    if (!n) {
        c.verdict = TimingVerdict::NotANumber;
        return c;
    }
    if (*n < 0) {
        return c;
    }
    if (*n > limit) {
        c.verdict = TimingVerdict::UseLimit;
        c.limitText = QString::number(limit);
        return c;
    }
    // A ratio of 0 would make the keyer's dits vanish; the old value stays.
    if (isRatio && text == QLatin1String("0")) {
        return c;
    }
    c.verdict = TimingVerdict::Store;
    return c;
}

int TimingValue(const QString& stored) {
    return platform::ParseIniInteger(stored).value_or(0);
}

QString NotAnIntegerMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

}  // namespace corvatta::keyer
