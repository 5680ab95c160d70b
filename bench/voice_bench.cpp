// The voice keyer's two timing goals, on a real PulseAudio null sink:
//   BM_KeyToSound  PlayMessage until the message's first sample is at the sink
//                  (goal: at most 50 ms), PTT none (VOX);
//   BM_PttLead     PTT through rigctld's dummy radio: from the radio reporting
//                  keyed to the first sample at the sink, less the lead (goal:
//                  within 10 ms of 0).
// "At the sink" is read from the sink's monitor by its own sample clock: the
// monitor samples recorded before the key press are counted, and the first
// loud sample's place after them is its time at the sink. Medians and maxima
// are reported as counters, in milliseconds.
#include "logger/rig_link.h"
#include "logger/voice_keyer.h"
#include "platform/audio_stream.h"
#include "platform/program_dir.h"
#include "tests/support/pulse_session.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
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

// Plays F1 and returns, in ms after `t0` on `clock`, when its first sample
// reached the sink; -1 when it did not.
double PlayAndFind(VoiceKeyer& keyer, const QElapsedTimer& clock, qint64* t0) {
    PulseSession& pulse = *Pulse();
    std::vector<qint16> before = pulse.StopMonitor();
    pulse.StartMonitor();
    QTest::qWait(200);  // the monitor's own start-up settles
    const qsizetype mark = pulse.MonitorFrames();
    *t0 = clock.elapsed();
    QSignalSpy done(&keyer, &VoiceKeyer::finished);
    if (!keyer.PlayMessage(VoiceSet::Run, 1) || !done.wait(5000))
        return -1;
    QTest::qWait(150);
    const std::vector<qint16> heard = pulse.StopMonitor();
    for (size_t i = size_t(mark); i < heard.size(); ++i) {
        if (std::abs(heard[i]) > 2000)
            return double(*t0) + double(qsizetype(i) - mark) * 1000.0 / PulseSession::kMonitorRate;
    }
    return -1;
}

void WriteTone(const QString& dir) {
    VoiceClip clip{std::vector<qint16>(size_t(kVoiceSampleRate) / 5), kVoiceSampleRate};
    for (size_t i = 0; i < clip.samples.size(); ++i)
        clip.samples[i] = qint16(i % 40 < 20 ? 12000 : -12000);
    QDir().mkpath(dir + "voice");
    QFile f(dir + "voice/F1.wav");
    f.open(QIODevice::WriteOnly);
    f.write(WaveBytes(clip));
}

void BM_KeyToSound(benchmark::State& state) {
    if (!Pulse()) {
        state.SkipWithError("pulseaudio is needed");
        return;
    }
    QTemporaryDir dir;
    platform::SetProgramDirectory(dir.path() + "/");
    WriteTone(dir.path() + "/");
    platform::AudioOutput output;
    VoiceKeyer keyer(output);
    keyer.Configure(VoiceSettings{}, nullptr);
    QElapsedTimer clock;
    clock.start();
    qint64 queuedAt = -1;
    QObject::connect(&keyer, &VoiceKeyer::firstSampleQueued, [&] { queuedAt = clock.elapsed(); });
    std::vector<double> ms, queued;
    for (auto _ : state) {
        qint64 t0 = 0;
        const double at = PlayAndFind(keyer, clock, &t0);
        if (at < 0) {
            state.SkipWithError("nothing reached the sink");
            return;
        }
        ms.push_back(at - double(t0));
        queued.push_back(double(queuedAt - t0));
        state.SetIterationTime(ms.back() / 1000.0);
    }
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["max_ms"] = Percentile(ms, 1.0);
    // The stream's own side: until the first sample is handed to the sink.
    state.counters["queued_median_ms"] = Percentile(queued, 0.5);
}

void BM_PttLead(benchmark::State& state) {
    const QString exe = QStandardPaths::findExecutable("rigctld");
    if (!Pulse() || exe.isEmpty()) {
        state.SkipWithError("pulseaudio and rigctld are needed");
        return;
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess rigctld;
    rigctld.start(exe, {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(port)});
    RigLink link;
    QTest::qWait(300);
    link.Start("127.0.0.1", port);
    if (!QTest::qWaitFor([&] { return link.Connected(); }, 8000)) {
        state.SkipWithError("rigctld does not answer");
        return;
    }
    QTemporaryDir dir;
    platform::SetProgramDirectory(dir.path() + "/");
    WriteTone(dir.path() + "/");
    platform::AudioOutput output;
    VoiceKeyer keyer(output);
    VoiceSettings settings;
    settings.Ptt = PttKind::Rig;
    keyer.Configure(settings, &link);
    QElapsedTimer clock;
    clock.start();
    qint64 keyedAt = -1;
    QObject::connect(&keyer, &VoiceKeyer::pttChanged, [&](bool on) {
        if (on)
            keyedAt = clock.elapsed();
    });
    std::vector<double> error, press;
    for (auto _ : state) {
        qint64 t0 = 0;
        const double at = PlayAndFind(keyer, clock, &t0);
        if (at < 0) {
            state.SkipWithError("nothing reached the sink");
            return;
        }
        error.push_back(at - double(keyedAt) - settings.Lead);
        press.push_back(double(keyedAt - t0));
        state.SetIterationTime((at - double(keyedAt)) / 1000.0);
    }
    state.counters["lead_error_median_ms"] = Percentile(error, 0.5);
    state.counters["lead_error_min_ms"] = Percentile(error, 0.0);
    state.counters["lead_error_max_ms"] = Percentile(error, 1.0);
    state.counters["press_to_keyed_median_ms"] = Percentile(press, 0.5);
    rigctld.kill();
    rigctld.waitForFinished();
}

BENCHMARK(BM_KeyToSound)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PttLead)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
