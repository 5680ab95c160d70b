// The contest calendar: the spring (April) and autumn (November) parts are
// held on the Sunday of the third full weekend, 09:00-10:59 local time. The
// start timer turns the start day into a banner and a message, the clock
// timer the UTC minute into the last-minute and end layouts.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace corvatta {

inline constexpr int kSpringMonth = 4;
inline constexpr int kAutumnMonth = 11;

// (day - 1) div 7 + 1: which occurrence of its weekday in the month a date is.
int NthWeekday(const QDate& date);

// The Sunday after the month's Saturday of nth weekday 3 (days 16 to 22),
// so that both days of the weekend lie in the month.
bool IsContestSunday(const QDate& date, int month);

// The two hours of the contest on a contest Sunday, in UTC: from `start`
// up to (not including) `end`; nullopt on any other day.
struct ContestPeriod {
    QTime start;
    QTime end;
};
std::optional<ContestPeriod> ContestPeriodUtc(const QDate& date);

namespace banners {
inline const QString kOutside = QStringLiteral("        KV prvenstvo ZRS - Izven dneva tekmovanja");
inline const QString kSpringPart =
    QStringLiteral("                 KV prvenstvo ZRS - Pomladni del");
inline const QString kAutumnPart =
    QStringLiteral("                 KV prvenstvo ZRS - Jesenski del");
inline const QString kFinished = QStringLiteral("        KV prvenstvo ZRS - Tekmovanje zaključeno");
inline const QString kTomorrow =
    QStringLiteral("               KV prvenstvo ZRS - Jutri, v nedeljo");
inline const QString kInTwoDays =
    QStringLiteral("                    KV prvenstvo ZRS - Čez 2 dni");
inline const QString kInThreeDays =
    QStringLiteral("                    KV prvenstvo ZRS - Čez 3 dni");
inline const QString kLastMinute = QStringLiteral("             KV prvenstvo ZRS - ZADNJA MINUTA");
inline const QString kEnd = QStringLiteral("       KV prvenstvo ZRS - KONEC TEKMOVANJA");
}  // namespace banners

struct StartBanner {
    QString banner;   // empty: leave the banner as it is
    QString message;  // empty: no pop-up
};

// What the start timer shows for the start day and the UTC time "hh:mm".
StartBanner StartTimerBanner(const QDate& today, const QDate& yesterday, const QString& utcTime,
                             bool firstStartToday);

enum class ClockLayout { Unchanged, LastMinute, End };

// The clock timer's layout for the day and the UTC minute "hh:mm".
ClockLayout ClockTimerLayout(const QDate& today, const QString& utcTime);

}  // namespace corvatta
