#include "clock.h"

#include <ctime>

namespace platform {

QDateTime LocalToUtc(const QDateTime& local) {
    // Read the zone again, so a TZ change (tests, a zone switch) is seen.
    ::tzset();
    return QDateTime(local.date(), local.time(), Qt::LocalTime).toUTC();
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace platform
