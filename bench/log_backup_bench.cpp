// Logging never waits for a backup: Enter in ECall until the contact's line
// is on disk (LogQso appends and syncs before it returns), on the assembled
// program, with backups off and with a backup started by every contact (the
// clock is moved on a minute each time, so the once-a-minute limit never
// holds one back). BM_WriteBackupOnUiThread is the copy itself done in
// line, for scale: what every Enter would cost if the UI thread wrote it;
// BM_SnapshotOnUiThread the part of a copy that does stay on the UI thread.
// Each reports its median and 90th percentile as counters, in microseconds.
#include "logger/log_backup.h"
#include "logger/program.h"
#include "logger/qso_log_model.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/program_dir.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "bench/percentile.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kContactsBefore = 300;  // a busy contest's log

using bench::Percentile;

void Report(benchmark::State& state, const std::vector<double>& us) {
    state.counters["median_us"] = Percentile(us, 0.5);
    state.counters["p90_us"] = Percentile(us, 0.9);
}

QByteArray LogOf(int contacts) {
    QByteArray bytes;
    for (int i = 0; i < contacts; ++i) {
        bytes += "QSO:  3500 CW 2027-04-18 0710 S59XYZ       599 75      S59ABC       599 85\r\n";
    }
    return bytes;
}

struct Station {
    QTemporaryDir dir;
    platform::FixedClock clock{QDateTime(QDate(2027, 4, 18), QTime(7, 10), Qt::UTC)};
    corvatta::StationState state;
    std::unique_ptr<corvatta::Program> program;

    Station() {
        platform::SetProgramDirectory(dir.path());
        Write("Corvattaini.ini",
              "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=A\r\n"
              "MyAddress=B\r\nMyEmail=a@b.si\r\n");
        Write("S59XYZ.log", LogOf(kContactsBefore));
        program = std::make_unique<corvatta::Program>(state, clock);
        program->main.show();
        program->main.ClockTimerTick();
    }
    ~Station() {
        program->main.Backups().WaitForDone();
        platform::SetProgramDirectory(QString());
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    int LinesOnDisk() {
        QFile f(dir.filePath("S59XYZ.log"));
        return f.open(QIODevice::ReadOnly) ? static_cast<int>(f.readAll().count('\n')) : -1;
    }
    int Backups() {
        return static_cast<int>(
            QDir(dir.filePath(corvatta::kBackupFolder)).entryList(QDir::Files).size());
    }
};

void EnterToDisk(benchmark::State& bench, bool backups, bool settle) {
    Station s;
    s.program->main.Backups().SetEnabled(backups);
    std::vector<double> us;
    int i = 0;
    for (auto _ : bench) {
        // A minute later each time: every contact is due for a copy.
        s.clock.AdvanceMs(61'000);
        s.program->main.ECall->setText(
            QStringLiteral("S59%1 %2").arg(QChar(u'A' + i % 26)).arg(50 + i % 50));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        const auto t0 = SteadyClock::now();
        QApplication::sendEvent(s.program->main.ECall, &enter);
        const double d = std::chrono::duration<double, std::micro>(SteadyClock::now() - t0).count();
        us.push_back(d);
        bench.SetIterationTime(d / 1e6);
        ++i;
        if (settle) {
            // Contacts come seconds apart in a contest: the copy is done
            // before the next Enter.
            s.program->main.Backups().WaitForDone();
        }
    }
    s.program->main.Backups().WaitForDone();
    if (s.LinesOnDisk() != kContactsBefore + i) {
        bench.SkipWithError("a contact did not reach the log file");
    }
    if (backups && s.Backups() < std::min(i, corvatta::kBackupsKept)) {
        bench.SkipWithError("the backups were not written");
    }
    bench.counters["backups"] = s.Backups();
    Report(bench, us);
}

void BM_EnterToDisk_BackupsOff(benchmark::State& bench) {
    EnterToDisk(bench, false, true);
}
BENCHMARK(BM_EnterToDisk_BackupsOff)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

void BM_EnterToDisk_BackupEveryContact(benchmark::State& bench) {
    EnterToDisk(bench, true, true);
}
BENCHMARK(BM_EnterToDisk_BackupEveryContact)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// Back to back: each Enter comes while the previous copy is still being
// written, so the two compete for the disk (the worst case).
void BM_EnterToDisk_BackupEveryContactBackToBack(benchmark::State& bench) {
    EnterToDisk(bench, true, false);
}
BENCHMARK(BM_EnterToDisk_BackupEveryContactBackToBack)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

void BM_WriteBackupOnUiThread(benchmark::State& bench) {
    QTemporaryDir dir;
    const QString log = dir.filePath("S59XYZ.log");
    QFile f(log);
    if (f.open(QIODevice::WriteOnly))
        f.write(LogOf(kContactsBefore));
    f.close();
    QDateTime t(QDate(2027, 4, 18), QTime(7, 10));
    std::vector<double> us;
    for (auto _ : bench) {
        t = t.addSecs(61);
        const auto t0 = SteadyClock::now();
        corvatta::WriteBackup(log, "S59XYZ", corvatta::SnapshotLog(log), t);
        const double d = std::chrono::duration<double, std::micro>(SteadyClock::now() - t0).count();
        us.push_back(d);
        bench.SetIterationTime(d / 1e6);
    }
    Report(bench, us);
}
BENCHMARK(BM_WriteBackupOnUiThread)
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMicrosecond);

// The part of a copy that stays on the UI thread: reading the log's bytes.
void BM_SnapshotOnUiThread(benchmark::State& bench) {
    QTemporaryDir dir;
    const QString log = dir.filePath("S59XYZ.log");
    QFile f(log);
    if (f.open(QIODevice::WriteOnly))
        f.write(LogOf(kContactsBefore));
    f.close();
    std::vector<double> us;
    for (auto _ : bench) {
        const auto t0 = SteadyClock::now();
        benchmark::DoNotOptimize(corvatta::SnapshotLog(log));
        const double d = std::chrono::duration<double, std::micro>(SteadyClock::now() - t0).count();
        us.push_back(d);
        bench.SetIterationTime(d / 1e6);
    }
    Report(bench, us);
}
BENCHMARK(BM_SnapshotOnUiThread)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

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
