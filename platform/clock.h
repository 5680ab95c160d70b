// The one source of "now". Windows and timers ask a Clock; the program runs
// on the system clock, tests stand at any instant they like.
#pragma once

#include <QDateTime>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local time under the system zone (the TZ variable is honoured).
    virtual QDateTime Now() const = 0;
    // Only the time of day, local or UTC, to the second: what a display
    // ticking every second needs. Read from Now() unless a clock knows a
    // cheaper way.
    virtual QTime TimeOfDay(bool utc) const;
};

class SystemClock final : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    // Straight from the system clock, without a QDateTime: that one asks
    // the system to look for a changed zone file at every reading, which
    // costs more than all the rest of a reading. Here the zone is looked
    // for again once a minute.
    QTime TimeOfDay(bool utc) const override;

  private:
    mutable long long zoneReadMinute_ = -1;
};

// A clock that stands still until told otherwise.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(QDateTime instant) : instant_(std::move(instant)) {}
    QDateTime Now() const override { return instant_.toLocalTime(); }
    void Set(const QDateTime& instant) { instant_ = instant; }
    void AdvanceMs(qint64 ms) { instant_ = instant_.addMSecs(ms); }

  private:
    QDateTime instant_;
};

// Converts a local wall-clock date and time to UTC with the daylight-saving
// rule in force on that date.
QDateTime LocalToUtc(const QDateTime& local);

// The process's system clock, for programs that need no other.
Clock& DefaultClock();

}  // namespace platform
