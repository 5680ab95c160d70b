// The entry line's speed goals, on the assembled program against the
// WinKeyer simulator on a pty:
//   BM_EnterToFirstByte   Enter in ECall (ESM Run, state 0) until the first byte of the
//                         callsign arrives on the pty master (goal: median under 1 ms; the
//                         wire time of one byte at 1200 baud, about 8.3 ms, is not counted
//                         because the simulator stamps the byte when it reads it and a pty
//                         has no wire);
//   BM_KeystrokeWithLog   one keystroke in ECall with a log of 10,000 contacts, from the key
//                         event until the labels are updated (goal: median under 0.2 ms).
// Each reports its median and 90th percentile as counters, in microseconds.
#include "logger/program.h"
#include "logger/qso_log_model.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/program_dir.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include "bench/percentile.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using bench::Percentile;

void Report(benchmark::State& state, const std::vector<double>& us) {
    state.counters["median_us"] = Percentile(us, 0.5);
    state.counters["p90_us"] = Percentile(us, 0.9);
}

// A program in a temporary directory, its keyer on the simulator.
struct Station {
    QTemporaryDir dir;
    testing_support::WinKeyerSimulator sim;
    // An ordinary day: no calendar message box to wait for.
    platform::FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(7, 30), Qt::UTC)};
    corvatta::StationState state;
    std::unique_ptr<corvatta::Program> program;
    bool ready = false;

    Station() {
        platform::SetProgramDirectory(dir.path());
        Write("Corvattaini.ini",
              "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=A\r\n"
              "MyAddress=B\r\nMyEmail=a@b.si\r\nAutoLL=1\r\n[WK]\r\nEnterSendMsg=1\r\n"
              "RunMode=1\r\nSpeed=99\r\nSpeedMode=1\r\n[Memo]\r\nF2=5NN #\r\n");
        Write("Corvatta.ini", "[ComPort]\r\nPort=" + sim.PortPath().toUtf8() + "\r\n");
        program = std::make_unique<corvatta::Program>(state, clock);
        program->main.show();
        program->main.ClockTimerTick();
        program->keyer.OpenKeyer();
        ready = QTest::qWaitFor([&] { return state.flags.KeyerReady; }, 3000) && sim.WaitForIdle();
    }
    ~Station() { platform::SetProgramDirectory(QString()); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    void Key(int key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(program->main.ECall, &press);
    }
};

void BM_EnterToFirstByte(benchmark::State& bench) {
    Station s;
    if (!s.ready) {
        bench.SkipWithError("the keyer did not open");
        return;
    }
    std::vector<double> us;
    for (auto _ : bench) {
        s.sim.ClearReceived();
        s.program->main.ECall->setText(QStringLiteral("S59ABC"));
        const auto t0 = Clock::now();
        s.Key(Qt::Key_Return, QStringLiteral("\r"));
        s.sim.WaitFor([&] { return !s.sim.Received().empty(); }, 1000);
        const auto received = s.sim.Received();
        if (received.empty()) {
            bench.SkipWithError("no byte arrived");
            break;
        }
        const double d =
            std::chrono::duration<double, std::micro>(received.front().at - t0).count();
        us.push_back(d);
        bench.SetIterationTime(d / 1e6);
        // Stop the keyer and let the sequence fall back to its start.
        s.Key(Qt::Key_Escape, QStringLiteral("\x1b"));
        if (!QTest::qWaitFor([&] { return !s.sim.Busy(); }, 2000)) {
            bench.SkipWithError("the keyer did not stop");
            break;
        }
        QTest::qWait(20);
        s.state.flags.Transmitting = false;
        s.state.flags.ExchangePending = false;
        s.state.entry.EntryState = corvatta::EntryStep::Idle;
    }
    Report(bench, us);
}
BENCHMARK(BM_EnterToFirstByte)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeWithLog(benchmark::State& bench) {
    Station s;
    std::vector<corvatta::QsoRow> rows;
    for (int i = 0; i < 10000; ++i) {
        rows.push_back({QStringLiteral("07:%1").arg(i % 60, 2, 10, QLatin1Char('0')),
                        QStringLiteral("S5%1A%2").arg(i % 10).arg(i, 4, 10, QLatin1Char('0')),
                        QStringLiteral("%1").arg(i % 100, 2, 10, QLatin1Char('0')),
                        QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("CW")});
    }
    s.program->main.LogModel().ReplaceRows(std::move(rows));
    s.state.log.QsoCount = 10000;
    s.state.keyer.EnterSendMsg = false;
    s.program->main.ECall->setText(QStringLiteral("S59AB"));
    std::vector<double> us;
    bool add = true;
    for (auto _ : bench) {
        const auto t0 = Clock::now();
        if (add) {
            s.Key(Qt::Key_C, QStringLiteral("C"));
        } else {
            s.Key(Qt::Key_Backspace, QStringLiteral("\b"));
        }
        const double d = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        add = !add;
        us.push_back(d);
        bench.SetIterationTime(d / 1e6);
    }
    if (s.program->main.LInfo->text().isEmpty()) {
        bench.SkipWithError("the labels were not updated");
    }
    Report(bench, us);
}
BENCHMARK(BM_KeystrokeWithLog)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

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
