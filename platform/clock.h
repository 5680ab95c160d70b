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
};

class SystemClock final : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
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
