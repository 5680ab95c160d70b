#include "calendar.h"

namespace corvatta {

namespace {

constexpr int kSunday = 7;
constexpr int kSaturday = 6;
constexpr int kFriday = 5;
constexpr int kThursday = 4;

const QString kTime = QStringLiteral("\n\rtekmovanje je med 09 in 11 uro po lokalnem času");

struct Part {
    int month;
    // UTC minutes (hhmm) of the last minute and of the end of the part: the
    // contest ends at 11:00 local, which is 09:00 UTC in April (summer time)
    // and 10:00 UTC in November.
    int lastMinute;
    int end;
    QString partBanner;
    QString sunday, saturday, friday, thursday;
};

const Part& Spring() {
    static const Part p{
        kSpringMonth,
        859,
        900,
        banners::kSpringPart,
        QStringLiteral("Danes je nedelja v tretjem polnem koncu tedna v marcu\n\r"
                       "in čas je za pomladni del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je sobota v tretjem polnem koncu tedna v marcu\n\r"
                       "jutri je pomladni del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je petek pred tretjim polnim koncem tedna v marcu\n\r"
                       "čez 2 dni je pomladni del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je četrtek pred tretjim polnim koncem tedna v marcu\n\r"
                       "čez 3 dni je pomladni del KV prvenstva ZRS") +
            kTime};
    return p;
}

const Part& Autumn() {
    static const Part p{
        kAutumnMonth,
        959,
        1000,
        banners::kAutumnPart,
        QStringLiteral("Danes je nedelja v tretjem polnem koncu tedna v novemnru\n\r"
                       "in čas je za jesenski del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je sobota v tretjem polnem koncu tedna v novembra\n\r"
                       "jutri je jesenski del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je petek pred tretjim polnim koncem tedna v novemnru\n\r"
                       "čez 2 dni je jesenski del KV prvenstva ZRS") +
            kTime,
        QStringLiteral("Danes je četrtek pred tretjim polnim koncem tedna v novembru\n\r"
                       "čez 3 dni je jesenski del KV prvenstva ZRS") +
            kTime};
    return p;
}

bool IsThirdSaturday(const QDate& d, int month) {
    return d.isValid() && d.dayOfWeek() == kSaturday && NthWeekday(d) == 3 && d.month() == month;
}

// "hh:mm" as the number hhmm; -1 when it is not that form.
int TimeNumber(const QString& hhmm) {
    if (hhmm.size() != 5 || hhmm[2] != u':') {
        return -1;
    }
    bool okH = false, okM = false;
    const int h = hhmm.left(2).toInt(&okH);
    const int m = hhmm.mid(3, 2).toInt(&okM);
    return okH && okM ? h * 100 + m : -1;
}

}  // namespace

int NthWeekday(const QDate& date) {
    return (date.day() - 1) / 7 + 1;
}

bool IsContestSunday(const QDate& date, int month) {
    return date.isValid() && date.dayOfWeek() == kSunday &&
           IsThirdSaturday(date.addDays(-1), month);
}

std::optional<ContestPeriod> ContestPeriodUtc(const QDate& date) {
    for (const Part* part : {&Spring(), &Autumn()}) {
        if (IsContestSunday(date, part->month)) {
            const QTime end(part->end / 100, part->end % 100);
            return ContestPeriod{end.addSecs(-2 * 3600), end};
        }
    }
    return std::nullopt;
}

StartBanner StartTimerBanner(const QDate& today, const QDate& yesterday, const QString& utcTime,
                             bool firstStartToday) {
    StartBanner out;
    for (const Part* part : {&Spring(), &Autumn()}) {
        const int m = part->month;
        const auto message = [&](const QString& text) {
            if (firstStartToday)
                out.message = text;
        };
        if (today.dayOfWeek() == kSunday && yesterday == today.addDays(-1) &&
            IsContestSunday(today, m)) {
            const int t = TimeNumber(utcTime);
            if (t >= 0 && t < part->lastMinute) {
                out.banner = part->partBanner;
            } else if (t > part->end) {
                out.banner = banners::kFinished;
            }
            message(part->sunday);
        } else if (IsThirdSaturday(today, m)) {
            out.banner = banners::kTomorrow;
            message(part->saturday);
        } else if (today.dayOfWeek() == kFriday && NthWeekday(today.addDays(1)) == 3 &&
                   today.month() == m) {
            out.banner = banners::kInTwoDays;
            message(part->friday);
        } else if (today.dayOfWeek() == kThursday && NthWeekday(today.addDays(2)) == 3 &&
                   today.month() == m) {
            out.banner = banners::kInThreeDays;
            message(part->thursday);
        }
    }
    return out;
}

ClockLayout ClockTimerLayout(const QDate& today, const QString& utcTime) {
    for (const Part* part : {&Spring(), &Autumn()}) {
        if (!IsContestSunday(today, part->month)) {
            continue;
        }
        const int t = TimeNumber(utcTime);
        if (t == part->lastMinute)
            return ClockLayout::LastMinute;
        if (t == part->end)
            return ClockLayout::End;
    }
    return ClockLayout::Unchanged;
}

}  // namespace corvatta
