#include "clock.h"

#include <algorithm>
#include <ctime>

#include <time.h>

namespace platform {

QDateTime LocalToUtc(const QDateTime& local) {
    // Read the zone again, so a TZ change (tests, a zone switch) is seen.
    ::tzset();
    return QDateTime(local.date(), local.time(), Qt::LocalTime).toUTC();
}

QTime Clock::TimeOfDay(bool utc) const {
    return (utc ? LocalToUtc(Now()) : Now()).time();
}

QTime SystemClock::TimeOfDay(bool utc) const {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm fields{};
    if (utc) {
        ::gmtime_r(&now.tv_sec, &fields);
    } else {
        // localtime_r keeps to the zone it read last; tzset reads it again
        // when the zone file or TZ changed.
        const long long minute = now.tv_sec / 60;
        if (minute != zoneReadMinute_) {
            zoneReadMinute_ = minute;
            ::tzset();
        }
        ::localtime_r(&now.tv_sec, &fields);
    }
    // A leap second (60) shows as the 59th, as Qt's clock would show it.
    return QTime(fields.tm_hour, fields.tm_min, std::min(fields.tm_sec, 59));
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace platform
