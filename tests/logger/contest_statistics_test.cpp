// Contest statistics on logs with known times: rates and slots around the
// full hour, a log kept over two contest days, the projection, earlier logs
// aligned to their contest's start, and the text table.
#include "logger/contest_statistics.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "station/station_state.h"
#include "logger/statistics_feed.h"
#include "platform/errors.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTemporaryDir>

namespace corvatta {
namespace {

const QDate kSpring(2026, 4, 19);  // contest Sundays: 07:00-09:00 and 08:00-10:00 UTC
const QDate kAutumn(2025, 11, 16);

UtcMinute At(const QDate& d, const char* hhmm) {
    return ToUtcMinute(d, *MinuteOfDayText(QString::fromLatin1(hhmm)));
}

ContestStatistics SpringLog(std::initializer_list<const char*> times) {
    ContestStatistics s(QStringLiteral("75"));
    int year = 50;
    for (const char* t : times) {
        s.Add({At(kSpring, t), false, 2, true, QString::number(year++)});
    }
    return s;
}

TEST(ContestStatisticsTest, RatesSlotsAndProjectionAcrossTheHour) {
    // 07:05 lies just outside the last 60 minutes, 07:36 just inside the
    // last 30 of the projection.
    const ContestStatistics s = SpringLog({"07:02", "07:05", "07:15", "07:30", "07:36", "07:55",
                                           "07:59", "08:00", "08:01", "08:03", "08:05"});
    const LiveFigures f = s.Live(At(kSpring, "08:05"));
    EXPECT_EQ(f.contacts, 11);
    EXPECT_EQ(f.last10Rate, 10);  // the last 10 contacts over the 60 minutes from 07:05
    EXPECT_EQ(f.last60, 9);       // 07:06 to 08:05
    EXPECT_EQ(f.currentHour, 4);
    ASSERT_TRUE(f.period && f.period->contestDay);
    EXPECT_EQ(ClockText(f.period->start), "07:00");
    EXPECT_EQ(f.elapsed, 65);
    EXPECT_EQ(f.remaining, 55);
    EXPECT_EQ(f.tenMinutes, (std::vector<int>{2, 1, 0, 2, 0, 2, 4}));
    EXPECT_EQ(f.score, 22 * 12);  // eleven years and the own one
    // 7 contacts and 7 new years in the last 30 minutes, 54 minutes to go.
    EXPECT_EQ(f.projectedScore, 1161);  // (22 + 14 * 54 / 30) * (12 + 7 * 54 / 30)

    // Before the start nothing is projected; after the end the score stays.
    const LiveFigures before = s.Live(At(kSpring, "06:30"));
    EXPECT_EQ(before.elapsed, 0);
    EXPECT_EQ(before.remaining, 120);
    EXPECT_TRUE(before.tenMinutes.empty());
    EXPECT_EQ(before.projectedScore, before.score);
    const LiveFigures after = s.Live(At(kSpring, "09:30"));
    EXPECT_EQ(after.remaining, 0);
    EXPECT_EQ(after.tenMinutes.size(), 12u);
    EXPECT_EQ(after.projectedScore, after.score);
    EXPECT_EQ(after.last60, 0);
}

TEST(ContestStatisticsTest, TenContactsInOneMinuteAndAPracticeDay) {
    ContestStatistics burst = SpringLog({"07:40", "07:40"});
    EXPECT_EQ(burst.Live(At(kSpring, "07:41")).last10Rate, 120);  // at least a minute between
    burst.TruncateTo(1);
    EXPECT_FALSE(burst.Live(At(kSpring, "07:41")).last10Rate);

    // Outside a contest day the two hours run from the first contact.
    const QDate monday(2026, 4, 20);
    ContestStatistics practice;
    practice.Add({At(monday, "18:20"), true, 1, true, QStringLiteral("80")});
    practice.Add({At(monday, "18:45"), true, 1, false, QStringLiteral("80")});
    const LiveFigures f = practice.Live(At(monday, "19:00"));
    ASSERT_TRUE(f.period);
    EXPECT_FALSE(f.period->contestDay);
    EXPECT_EQ(f.elapsed, 40);
    EXPECT_EQ(f.remaining, 80);
    EXPECT_EQ(f.ssb, 2);
    EXPECT_EQ(f.tenMinutes, (std::vector<int>{1, 0, 1, 0, 0}));
}

// The grid holds times only: a step back of more than half an hour starts a
// new day, and the last contact's day is the contest date.
TEST(StatisticsFeedTest, ALogOverTwoContestDaysCountsTheLastDayInItsSlots) {
    QsoLogModel log;
    StationState state;
    state.op.MyYearLic = QStringLiteral("75");
    state.log.ContestDate = QStringLiteral("2025-11-16");
    const auto setRows = [&](std::vector<std::pair<const char*, const char*>> rows) {
        std::vector<QsoRow> cells;
        for (const auto& [time, mode] : rows) {
            cells.push_back({QString::fromLatin1(time), QStringLiteral("S59AB%1").arg(cells.size()),
                             QStringLiteral("80"), QStringLiteral("2"), QStringLiteral("0"),
                             QString::fromLatin1(mode)});
        }
        log.ReplaceRows(cells);
        state.log.QsoCount = int(cells.size());
    };
    StatisticsFeed feed(log, state);
    setRows({{"07:10", "CW"}, {"08:40", "CW"}, {"08:05", "SSB"}, {"08:15", "CW"}, {"09:58", "CW"}});
    feed.Sync();
    const UtcMinute end = At(kAutumn, "10:00");
    LiveFigures f = feed.Statistics().Live(end);
    EXPECT_EQ(f.contacts, 5);
    EXPECT_EQ(f.tenMinutes, (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(f.last60, 1);
    const std::vector<DatedRow> dated = feed.DatedRows();
    EXPECT_EQ(dated[1].date, kAutumn.addDays(-1));
    EXPECT_EQ(dated[2].date, kAutumn);

    // One contact more is read alone and gives what reading all rows gives;
    // so does a corrected time that moves the day boundary.
    log.SetRowCount(6);
    log.SetRow(5, {QStringLiteral("09:59"), QStringLiteral("S51X"), QStringLiteral("81"),
                   QStringLiteral("2"), QStringLiteral("1"), kModeCw});
    state.log.QsoCount = 6;
    QCoreApplication::processEvents();  // the feed syncs once the change is done
    for (int edit = 0; edit < 2; ++edit) {
        StatisticsFeed fresh(log, state);
        fresh.Sync();
        const LiveFigures a = feed.Statistics().Live(end);
        const LiveFigures b = fresh.Statistics().Live(end);
        EXPECT_EQ(a.contacts, b.contacts);
        EXPECT_EQ(a.tenMinutes, b.tenMinutes);
        EXPECT_EQ(a.score, b.score);
        EXPECT_EQ(a.last60, 2);
        log.SetCell(2, Time, QStringLiteral("08:35"));
        feed.Sync();
    }
    EXPECT_EQ(feed.DatedRows()[1].date, kAutumn);
}

QString Line(const QDate& d, const char* time, const char* call, const char* year,
             const QString& mode) {
    return CabrilloQsoLine(
        {QStringLiteral("S59XYZ"), QStringLiteral("75"), d.toString(QStringLiteral("yyyy-MM-dd"))},
        QString::fromLatin1(time), QString::fromLatin1(call), QString::fromLatin1(year), mode);
}

TEST(ContestStatisticsTest, EarlierLogsAreAlignedToTheirContestsStart) {
    QTemporaryDir dir;
    const QString both = dir.filePath(QStringLiteral("S59XYZ.cbr"));
    QString error;
    ASSERT_TRUE(platform::WriteFileAtomically(
        both,
        platform::JoinLinesCrLf({"START-OF-LOG: 2.0", Line(kSpring, "07:00", "S51A", "80", kModeCw),
                                 Line(kSpring, "07:30", "S52B", "80", kModeCw),
                                 Line(kSpring, "07:31", "S53C", "75", kModeSsb),
                                 Line(kAutumn, "08:30", "S54D", "90", kModeCw), "END-OF-LOG:"})
            .toLatin1(),
        &error));
    const std::vector<ContestRun> runs = ReadEarlierLog(both);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].label, "Pomlad 2026");
    EXPECT_EQ(runs[1].label, "Jesen 2025");
    // Spring 07:30 and autumn 08:30 lie at the same place: 30 minutes in.
    EXPECT_EQ(runs[0].curve[1].minute, 30);
    EXPECT_EQ(runs[1].curve[0].minute, 30);
    // Scored as the log is: 2 + 2 + 1 points; 80 once, and the own year 75.
    EXPECT_EQ(runs[0].points, 5);
    EXPECT_EQ(runs[0].multipliers, 2);
    EXPECT_EQ(runs[0].score, 10);
    EXPECT_EQ(runs[0].curve[0].score, 2 * 2);  // the own year counts while missing
    EXPECT_EQ(runs[1].score, 2 * 2);
    EXPECT_THROW(ReadEarlierLog(dir.filePath(QStringLiteral("missing.log"))), platform::IoError);
}

TEST(ContestStatisticsTest, TheTextTable) {
    std::vector<DatedRow> rows;
    for (const auto& [time, year] : std::vector<std::pair<const char*, const char*>>{
             {"07:01", "80"}, {"07:05", "81"}, {"07:08", "80"}, {"07:12", "75"}, {"08:30", "82"}}) {
        rows.push_back({kSpring, QString::fromLatin1(time),
                        QStringLiteral("S5%1X").arg(rows.size()), QString::fromLatin1(year),
                        false});
    }
    std::vector<ContestRun> earlier = SplitIntoRuns(
        {{kAutumn, QStringLiteral("08:10"), QStringLiteral("S51A"), QStringLiteral("60"), true}},
        QStringLiteral("75"));
    const ContestSummary s =
        Summarise(QStringLiteral("S59XYZ"), SplitIntoRuns(rows, QStringLiteral("75")).front(),
                  earlier, {QStringLiteral("60"), QStringLiteral("80"), QStringLiteral("02")});
    const QStringList t = SummaryTable(s);
    EXPECT_EQ(t[0], "Statistika dnevnika S59XYZ - Pomlad 2026 (2026-04-19)");
    EXPECT_EQ(t[1], "Zveze: 5  CW: 5  SSB: 0  Točke: 10  Množilci: 4  Skupaj: 40");
    EXPECT_EQ(t[3], "Najboljših 10 minut: 3 zvez od 07:01 (18 zvez na uro)");
    EXPECT_EQ(t[4], "Najboljših 60 minut: 4 zvez od 07:01");
    EXPECT_EQ(t[6], "Od     Zveze  Točke  Množilci  Skupaj  Novi množilci");
    EXPECT_EQ(t[7], "07:00      3      6         3      18  80 81");
    EXPECT_EQ(t[8], "07:10      1      2         3      24  75");
    EXPECT_EQ(t[16], "08:30      1      2         4      40  82");
    EXPECT_TRUE(t.contains("Delana leta licenc (4): 75 80 81 82"));
    EXPECT_TRUE(t.contains("Pogosta leta, ki še manjkajo (2): 60 02"));
    EXPECT_EQ(t.mid(t.size() - 2), (QStringList{"Pomlad 2026         5     10         4      40",
                                                "Jesen 2025          1      1         2       2"}));
}

}  // namespace
}  // namespace corvatta
