// Practice: from a key press in the entry line to the first sample of the
// sidetone at the sound output (goal: at most 50 ms), through the whole
// program: the entry line, the keyer link, the built-in keyer's
// pseudo-terminal, the session's mixer and the output stream (its buffer is
// platform::AudioOutput::kBufferMs) on a real PulseAudio null sink.
// "At the sink" is read from the sink's monitor by its own sample clock: the
// monitor samples recorded before the key press are counted, and the first
// 2 ms window after them that is well above the band's noise is the
// sidetone's time at the sink. Medians and maxima are counters, in ms.
#include "logger/program.h"
#include "platform/audio_stream.h"
#include "platform/clock.h"
#include "platform/program_dir.h"
#include "tests/support/pulse_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include "bench/percentile.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace corvatta;
using testing_support::PulseSession;

PulseSession* Pulse() {
    return testing_support::SharedPulseSession();
}

using bench::Percentile;

double Rms(const std::vector<qint16>& s, size_t from, size_t n) {
    double sum = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(n));
}

void BM_KeyToSidetone(benchmark::State& state) {
    if (!Pulse()) {
        state.SkipWithError("pulseaudio is needed");
        return;
    }
    QTemporaryDir dir;
    platform::SetProgramDirectory(dir.path() + "/");
    QFile ini(dir.path() + "/Corvattaini.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write(
        "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=Ana\r\n"
        "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n[WK]\r\nSpeed=30\r\nRunMode=1\r\n"
        "[Memo]\r\nF9=T\r\n");
    ini.close();
    platform::FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC));
    StationState station;
    Program program(station, clock, [](int) {});
    program.main.show();
    practice::PracticeSettings settings;
    settings.Qrn = settings.Qsb = false;
    settings.Volume = 100;
    settings.Seed = QStringLiteral("5");
    if (!program.Practice().Start(settings) || !program.Practice().Audio() ||
        !QTest::qWaitFor([&] { return station.flags.KeyerReady; }, 5000)) {
        state.SkipWithError("the session did not start with sound");
        return;
    }
    auto* session = program.Practice().Session();
    std::vector<double> ms;
    constexpr size_t kWindow = PulseSession::kMonitorRate / 500;  // 2 ms
    for (auto _ : state) {
        // The band's noise alone, then F9: one "T".
        if (!QTest::qWaitFor([&] { return !session->Keyer().Busy(); }, 5000))
            break;
        Pulse()->StartMonitor();
        QTest::qWait(300);
        const qsizetype mark = Pulse()->MonitorFrames();
        QTest::keyClick(program.main.ECall, Qt::Key_F9);
        QTest::qWait(300);
        const std::vector<qint16> heard = Pulse()->StopMonitor();
        if (size_t(mark) < kWindow * 20)
            break;
        const double noise = Rms(heard, size_t(mark) - kWindow * 20, kWindow * 20);
        double at = -1;
        for (size_t i = size_t(mark); i + kWindow < heard.size(); i += kWindow / 4) {
            if (Rms(heard, i, kWindow) > 3 * noise + 500) {
                at = double(qsizetype(i) - mark) * 1000.0 / PulseSession::kMonitorRate;
                break;
            }
        }
        if (at < 0) {
            state.SkipWithError("no sidetone reached the sink");
            break;
        }
        ms.push_back(at);
        state.SetIterationTime(at / 1000.0);
    }
    program.Practice().Stop();
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["max_ms"] = Percentile(ms, 1.0);
    state.counters["buffer_ms"] = platform::AudioOutput::kBufferMs;
}

BENCHMARK(BM_KeyToSidetone)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
