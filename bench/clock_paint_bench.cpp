// What one tick of the clock costs: the time text and the repaint of one
// large and one small digit drawn afresh; and what a character not shown
// before costs the digit control, which looks its figure up in the map of
// its look's shapes instead of drawing it.
#include "clock/clock_settings.h"
#include "clock/qen_digit.h"
#include "platform/clock.h"

#include <benchmark/benchmark.h>
#include <QImage>
#include <QPainter>

namespace {

const tickwell::DigitColors kClockColors{QColor(255, 251, 240), QColor(0, 0, 128),
                                         QColor(255, 251, 240)};

void PaintDigit(benchmark::State& state, int width, int height, int lineWidth, int border) {
    QImage target(width, height, QImage::Format_RGB32);
    char digit = '0';
    for (auto _ : state) {
        QPainter painter(&target);
        tickwell::PaintDigitControl(painter, width, height, lineWidth, border, kClockColors, digit,
                                    QColor(255, 251, 240), Qt::white, Qt::gray);
        digit = digit == '9' ? '0' : char(digit + 1);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(PaintDigit, large, 55, 80, 8, 6);

BENCHMARK_CAPTURE(PaintDigit, seconds, 28, 40, 2, 7);

void LookUpFigure(benchmark::State& state, int width, int height, int lineWidth, int border) {
    const tickwell::FigureMap map(width, height, lineWidth, border);
    char digit = '0';
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.Figure(kClockColors, digit));
        digit = digit == '9' ? '0' : char(digit + 1);
    }
}

BENCHMARK_CAPTURE(LookUpFigure, large, 55, 80, 8, 6);

BENCHMARK_CAPTURE(LookUpFigure, seconds, 28, 40, 2, 7);

void BM_MapLargeFigure(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(tickwell::FigureMap(55, 80, 8, 6));
    }
}
BENCHMARK(BM_MapLargeFigure);

void BM_TimeText(benchmark::State& state) {
    QTime t(9, 5, 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tickwell::TimeText(t, u':'));
        t = t.addSecs(1);
    }
}
BENCHMARK(BM_TimeText);

// Reading the time of day the clock's way, against a QDateTime reading.
void BM_SystemTimeOfDay(benchmark::State& state) {
    const platform::SystemClock clock;
    for (auto _ : state) {
        benchmark::DoNotOptimize(clock.TimeOfDay(false));
    }
}
BENCHMARK(BM_SystemTimeOfDay);

void BM_QtCurrentDateTime(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(QDateTime::currentDateTime().time());
    }
}
BENCHMARK(BM_QtCurrentDateTime);

}  // namespace

BENCHMARK_MAIN();
