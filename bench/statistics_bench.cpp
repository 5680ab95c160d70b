// The statistics at contest-file sizes and far beyond: the live window's
// update after one contact (the feed reads the new row, the window shows the
// figures and repaints its bars) at 1,000 / 10,000 / 100,000 contacts, and
// opening the summary of a 1,000-contact log with its charts.
#include "logger/qso_log_model.h"
#include "logger/statistics_feed.h"
#include "logger/statistics_summary.h"
#include "logger/statistics_window.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "station/station_state.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace corvatta {
namespace {

const QDate kSpring(2026, 4, 19);

QsoRow Row(int i) {
    const int minute = 7 * 60 + (i * 7) % 90;  // 07:00 to 08:29
    return {QStringLiteral("%1:%2")
                .arg(minute / 60, 2, 10, QChar(u'0'))
                .arg(minute % 60, 2, 10, QChar(u'0')),
            QStringLiteral("S5%1A%2").arg(i % 10).arg(i),
            QStringLiteral("%1").arg((i * 31) % 100, 2, 10, QChar(u'0')),
            QStringLiteral("2"),
            QStringLiteral("1"),
            i % 3 == 0 ? kModeSsb : kModeCw};
}

void BM_LiveUpdateAfterContact(benchmark::State& st) {
    const int n = int(st.range(0));
    QsoLogModel log;
    std::vector<QsoRow> rows;
    for (int i = 0; i < n; ++i) {
        rows.push_back(Row(i));
    }
    log.ReplaceRows(std::move(rows));
    StationState state;
    state.op.MyYearLic = QStringLiteral("75");
    state.log.ContestDate = kSpring.toString(QStringLiteral("yyyy-MM-dd"));
    state.log.QsoCount = n;
    platform::FixedClock clock(QDateTime(kSpring, QTime(8, 30), Qt::UTC));
    StatisticsFeed feed(log, state);
    StatisticsWindow window(feed, clock);
    QObject::connect(&feed, &StatisticsFeed::updated, &window, &StatisticsWindow::Refresh);
    window.show();
    feed.Sync();
    QApplication::processEvents();

    const QsoRow added = Row(n);
    for (auto _ : st) {
        // What LogQso does to the log, then what follows in the event loop.
        log.SetRowCount(n + 1);
        log.SetRow(n, added);
        state.log.QsoCount = n + 1;
        QApplication::processEvents();
        st.PauseTiming();
        log.SetRowCount(n);
        state.log.QsoCount = n;
        QApplication::processEvents();
        st.ResumeTiming();
    }
    if (window.LContacts->text() != QString::number(n)) {
        st.SkipWithError("the window does not show the log");
    }
}

void BM_OpenSummary(benchmark::State& st) {
    std::vector<DatedRow> rows;
    for (int i = 0; i < int(st.range(0)); ++i) {
        const QsoRow r = Row(i);
        rows.push_back({kSpring, r[Time], r[Call], r[LicYear], r[Mode] == kModeSsb});
    }
    for (auto _ : st) {
        SummaryWindow summary(QStringLiteral("S59ABC"));
        summary.SetLog(rows, QStringLiteral("75"));
        summary.show();
        benchmark::DoNotOptimize(summary.grab());  // laid out and painted once
    }
}

BENCHMARK(BM_LiveUpdateAfterContact)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenSummary)->Arg(1000)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvatta

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    platform::Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
