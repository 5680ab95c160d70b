#include "logger/calendar.h"

#include <gtest/gtest.h>

using namespace corvatta;

namespace {

StartBanner Start(QDate today, const char* utc, bool first = true) {
    return StartTimerBanner(today, today.addDays(-1), QString::fromLatin1(utc), first);
}

TEST(Calendar, ContestSundaysOfTheThirdFullWeekend) {
    EXPECT_TRUE(IsContestSunday(QDate(2026, 4, 19), kSpringMonth));
    EXPECT_TRUE(IsContestSunday(QDate(2027, 4, 18), kSpringMonth));
    EXPECT_TRUE(IsContestSunday(QDate(2027, 11, 21), kAutumnMonth));
    // November 2026 begins on a Sunday: the 15th has no Saturday in its
    // third weekend, the contest is on the 22nd.
    EXPECT_TRUE(IsContestSunday(QDate(2026, 11, 22), kAutumnMonth));
    EXPECT_FALSE(IsContestSunday(QDate(2026, 11, 15), kAutumnMonth));
    EXPECT_TRUE(IsContestSunday(QDate(2029, 4, 22), kSpringMonth));
    EXPECT_FALSE(IsContestSunday(QDate(2029, 4, 15), kSpringMonth));
    EXPECT_FALSE(IsContestSunday(QDate(2027, 4, 18), kAutumnMonth));
    EXPECT_FALSE(IsContestSunday(QDate(2027, 4, 17), kSpringMonth));  // the Saturday
}

TEST(Calendar, DaysBeforeTheSpringPart) {
    const StartBanner thu = Start(QDate(2027, 4, 15), "12:00");
    EXPECT_EQ(thu.banner, banners::kInThreeDays);
    EXPECT_TRUE(thu.message.startsWith(QString::fromUtf8("Danes je četrtek")));
    EXPECT_TRUE(thu.message.contains(QString::fromUtf8("\n\rčez 3 dni je pomladni del")));
    const StartBanner fri = Start(QDate(2027, 4, 16), "12:00");
    EXPECT_EQ(fri.banner, banners::kInTwoDays);
    EXPECT_TRUE(fri.message.startsWith("Danes je petek"));
    const StartBanner sat = Start(QDate(2027, 4, 17), "12:00");
    EXPECT_EQ(sat.banner, banners::kTomorrow);
    EXPECT_EQ(sat.message,
              QString::fromUtf8("Danes je sobota v tretjem polnem koncu tedna v marcu\n\r"
                                "jutri je pomladni del KV prvenstva ZRS\n\r"
                                "tekmovanje je med 09 in 11 uro po lokalnem času"));
    // Not the first start of the day: the banner, no message.
    EXPECT_EQ(Start(QDate(2027, 4, 17), "12:00", false).banner, banners::kTomorrow);
    EXPECT_TRUE(Start(QDate(2027, 4, 17), "12:00", false).message.isEmpty());
    // Fridays of March and May, and an ordinary day, show nothing.
    for (QDate d :
         {QDate(2027, 3, 19), QDate(2027, 5, 14), QDate(2027, 4, 9), QDate(2027, 4, 23)}) {
        EXPECT_TRUE(Start(d, "12:00").banner.isEmpty()) << d.toString().toStdString();
        EXPECT_TRUE(Start(d, "12:00").message.isEmpty());
    }
}

TEST(Calendar, SundayBannerFollowsTheEndOfEachPart) {
    const QDate spring(2027, 4, 18);
    EXPECT_EQ(Start(spring, "06:30").banner, banners::kSpringPart);
    EXPECT_TRUE(Start(spring, "06:30").message.contains("pomladni del"));
    EXPECT_TRUE(Start(spring, "08:59").banner.isEmpty());
    EXPECT_TRUE(Start(spring, "09:00").banner.isEmpty());
    EXPECT_EQ(Start(spring, "09:01").banner, banners::kFinished);
    // The autumn part ends at 10:00 UTC: at 09:30 it is still on.
    const QDate autumn(2026, 11, 22);
    EXPECT_EQ(Start(autumn, "09:30").banner, banners::kAutumnPart);
    EXPECT_TRUE(Start(autumn, "09:30").message.contains("jesenski del"));
    EXPECT_TRUE(Start(autumn, "10:00").banner.isEmpty());
    EXPECT_EQ(Start(autumn, "10:01").banner, banners::kFinished);
    // November 2026: the Saturday is the 21st, and the 15th is no contest day.
    EXPECT_EQ(Start(QDate(2026, 11, 21), "12:00").banner, banners::kTomorrow);
    EXPECT_TRUE(Start(QDate(2026, 11, 15), "07:00").banner.isEmpty());
    EXPECT_TRUE(Start(QDate(2026, 11, 14), "07:00").banner.isEmpty());
}

TEST(Calendar, ClockLayoutsOnlyOnTheContestSunday) {
    EXPECT_EQ(ClockTimerLayout(QDate(2027, 4, 18), "08:58"), ClockLayout::Unchanged);
    EXPECT_EQ(ClockTimerLayout(QDate(2027, 4, 18), "08:59"), ClockLayout::LastMinute);
    EXPECT_EQ(ClockTimerLayout(QDate(2027, 4, 18), "09:00"), ClockLayout::End);
    EXPECT_EQ(ClockTimerLayout(QDate(2027, 4, 18), "09:59"), ClockLayout::Unchanged);
    EXPECT_EQ(ClockTimerLayout(QDate(2026, 11, 22), "09:59"), ClockLayout::LastMinute);
    EXPECT_EQ(ClockTimerLayout(QDate(2026, 11, 22), "10:00"), ClockLayout::End);
    EXPECT_EQ(ClockTimerLayout(QDate(2026, 11, 15), "10:00"), ClockLayout::Unchanged);
    EXPECT_EQ(ClockTimerLayout(QDate(2027, 4, 11), "09:00"), ClockLayout::Unchanged);
}

}  // namespace
