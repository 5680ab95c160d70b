// The practice band's sound: 60 s at 48 kHz with eight callers sending
// without a pause, each with its own fading, in band noise with static
// crashes, and the operator's sidetone mixed in, rendered in blocks of
// 960 samples (20 ms) as the sound output asks for them. The goal is at
// most 0.6 s of CPU for the minute. A second case drives the whole band: a
// pile-up of eight answering the operator's CQs, their replies rendered. A
// third runs the whole session: the CQs go through the built-in keyer, whose
// keying is the sidetone and what the band hears, in 10 ms blocks.
#include "keyer/winkeyer_protocol.h"
#include "practice/band_audio.h"
#include "practice/practice_band.h"
#include "practice/practice_session.h"

#include <benchmark/benchmark.h>

namespace corvatta::practice {
namespace {

constexpr double kSeconds = 60;
constexpr int kBlock = 960;

ReceiverSettings Receiver() {
    ReceiverSettings rx;
    rx.qrn = true;
    return rx;
}

void BM_Render60sEightCallers(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        PracticeMixer mixer(Receiver(), {}, 1);
        for (int i = 0; i < 8; ++i) {
            // Each caller's call over and over, back to back, for the minute.
            const QString call = QStringLiteral("S5%1Q%2 ").arg(i).arg(QChar(u'A' + i));
            QString text;
            for (int k = 0; k < 40; ++k) {
                text += call;
            }
            Transmission t{
                i,    text,     22 + i, 400.0 + 55.0 * i,
                0.2f, 0.01 * i, 0,      Fading{0.7, 0.05 + 0.02 * i, 0.03, double(i), 2.0 * i}};
            mixer.Band().AddTransmission(t);
        }
        std::vector<float> out(kBlock);
        state.ResumeTiming();
        mixer.AddOwnKeying(ScheduleKeyerBytes("CQ TEST S59ABC S59ABC TEST", 28, 1.0));
        for (std::int64_t done = 0; done < SampleAt(kSeconds); done += kBlock) {
            mixer.Render(out.data(), kBlock);
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Render60sEightCallers)->Unit(benchmark::kMillisecond);

void BM_PileUpSixtySeconds(benchmark::State& state) {
    QVector<StationInfo> stations;
    for (int i = 0; i < 60; ++i) {
        stations.push_back({QStringLiteral("S5%1Q%2").arg(i % 10).arg(QChar(u'A' + i / 10)),
                            QStringLiteral("%1").arg(60 + i % 40)});
    }
    BandSettings settings;
    settings.activity = 8;
    settings.qsb = settings.qrm = true;
    settings.myCall = QStringLiteral("S59ABC");
    for (auto _ : state) {
        PracticeBand band(settings, stations, 3);
        PracticeMixer mixer(Receiver(), {}, 3);
        std::vector<float> out(kBlock);
        double nextCq = 0.5;
        for (std::int64_t done = 0; done < SampleAt(kSeconds); done += kBlock) {
            const double now = double(done + kBlock) / kSampleRate;
            if (now >= nextCq) {
                // A CQ every five seconds; the pile-up answers each one.
                const KeyingSchedule cq = ScheduleKeyerBytes("CQ TEST S59ABC", 28, nextCq);
                mixer.AddOwnKeying(cq);
                band.OperatorSending(nextCq);
                band.OperatorSent(QStringLiteral("CQ TEST S59ABC"), cq.LastKeyUp());
                nextCq += 5;
            }
            for (const Transmission& t : band.Advance(now)) {
                mixer.Band().AddTransmission(t);
            }
            mixer.Render(out.data(), kBlock);
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PileUpSixtySeconds)->Unit(benchmark::kMillisecond);

void BM_SessionSixtySeconds(benchmark::State& state) {
    SessionSetup setup;
    setup.settings.Activity = 8;
    setup.settings.Qrm = true;
    setup.myCall = QStringLiteral("S59ABC");
    for (int i = 0; i < 60; ++i) {
        setup.stations.push_back({QStringLiteral("S5%1Q%2").arg(i % 10).arg(QChar(u'A' + i / 10)),
                                  QStringLiteral("%1").arg(60 + i % 40)});
    }
    constexpr int kSessionBlock = 480;
    for (auto _ : state) {
        PracticeSession session(setup);
        session.Keyer().Receive(
            keyer::HostOpenCommand() + keyer::ModeRegisterCommand(keyer::kStartModeRegister), 0);
        std::vector<float> out(kSessionBlock);
        double nextCq = 0.5;
        while (session.RenderedSeconds() < kSeconds) {
            if (session.Now() >= nextCq) {
                session.Keyer().Receive(QByteArray("CQ TEST S59ABC "), session.Now());
                nextCq += 5;
            }
            session.Render(out.data(), kSessionBlock);
            session.Keyer().TakeReplies(session.Now());
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_SessionSixtySeconds)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvatta::practice

BENCHMARK_MAIN();
