// The serial link's three speed goals, against the WinKeyer simulator on a pty:
//   BM_RxLatency       a byte written on the pty master until OnRxChar runs on the UI thread
//                      (goal: median under 0.5 ms);
//   BM_SendText3Bytes  SendText of a 3-byte command on an idle open port (median under 0.2 ms);
//   BM_IdleCpu10s      process CPU time while an open port sits idle for 10 s (goal 0).
// Each reports its median (and 90th percentile) as counters, in microseconds.
#include "serial/com_port.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <benchmark/benchmark.h>

#include <time.h>
#include "bench/percentile.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::WinKeyerSimulator;

using bench::Percentile;

void ReportMicroseconds(benchmark::State& state, const std::vector<double>& us) {
    state.counters["median_us"] = Percentile(us, 0.5);
    state.counters["p90_us"] = Percentile(us, 0.9);
    state.counters["max_us"] = Percentile(us, 1.0);
}

void OpenOn(serial::TComPort& port, const WinKeyerSimulator& keyer) {
    port.SetPort(keyer.PortPath());
    port.SetBaudRate(serial::br1200);
    port.Open();
}

void BM_RxLatency(benchmark::State& state) {
    WinKeyerSimulator keyer;
    serial::TComPort port;
    bool got = false;
    Clock::time_point gotAt;
    QObject::connect(&port, &serial::TComPort::OnRxChar, &port, [&](int count) {
        gotAt = Clock::now();
        port.ReceiveText(count);
        got = true;
    });
    OpenOn(port, keyer);
    std::vector<double> us;
    const QByteArray byte(1, '\x55');
    for (auto _ : state) {
        got = false;
        const Clock::time_point sent = Clock::now();
        keyer.SendRaw(byte);
        while (!got)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double seconds = std::chrono::duration<double>(gotAt - sent).count();
        state.SetIterationTime(seconds);
        us.push_back(seconds * 1e6);
    }
    ReportMicroseconds(state, us);
}
BENCHMARK(BM_RxLatency)->UseManualTime()->Iterations(5000)->Unit(benchmark::kMicrosecond);

void BM_SendText3Bytes(benchmark::State& state) {
    WinKeyerSimulator keyer;
    serial::TComPort port;
    OpenOn(port, keyer);
    // PTT lead/tail: a 3-byte command the keyer takes without answering.
    const QByteArray command("\x04\x01\x01", 3);
    std::vector<double> us;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(port.SendText(command));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        us.push_back(seconds * 1e6);
        // Let the keyer drain the line between commands, as 1200 bit/s does for real.
        if (us.size() % 64 == 0)
            keyer.WaitFor([&] { return keyer.Received().size() >= us.size() * 3; }, 1000);
    }
    ReportMicroseconds(state, us);
}
BENCHMARK(BM_SendText3Bytes)->UseManualTime()->Iterations(5000)->Unit(benchmark::kMicrosecond);

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_IdleCpu10s(benchmark::State& state) {
    WinKeyerSimulator keyer;
    serial::TComPort port;
    OpenOn(port, keyer);
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        QThread::sleep(10);
        cpu = ProcessCpuSeconds() - before;
    }
    // The whole process: the port's event thread, the keyer simulator's thread, this thread.
    state.counters["cpu_ms_per_10s"] = cpu * 1e3;
}
BENCHMARK(BM_IdleCpu10s)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the hand-off is a posted event
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
