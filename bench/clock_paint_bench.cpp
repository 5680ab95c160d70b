// What one tick of the clock costs: the time text and the repaint of one
// large and one small digit, the work done every second all day long.
#include "clock/clock_settings.h"
#include "clock/qen_digit.h"

#include <benchmark/benchmark.h>
#include <QImage>
#include <QPainter>

namespace {

void PaintDigit(benchmark::State& state, int width, int height, int lineWidth, int border) {
    QImage target(width, height, QImage::Format_RGB32);
    const tickwell::DigitColors colors{QColor(255, 251, 240), QColor(0, 0, 128),
                                       QColor(255, 251, 240)};
    char digit = '0';
    for (auto _ : state) {
        QPainter painter(&target);
        tickwell::PaintDigitControl(painter, width, height, lineWidth, border, colors, digit,
                                    QColor(255, 251, 240), Qt::white, Qt::gray);
        digit = digit == '9' ? '0' : char(digit + 1);
        benchmark::ClobberMemory();
    }
}

void BM_PaintLargeDigit(benchmark::State& state) {
    PaintDigit(state, 55, 80, 8, 6);
}
BENCHMARK(BM_PaintLargeDigit);

void BM_PaintSecondsDigit(benchmark::State& state) {
    PaintDigit(state, 28, 40, 2, 7);
}
BENCHMARK(BM_PaintSecondsDigit);

void BM_TimeText(benchmark::State& state) {
    QDateTime t(QDate(2027, 1, 17), QTime(9, 5, 7));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tickwell::TimeText(t, u':'));
        t = t.addSecs(1);
    }
}
BENCHMARK(BM_TimeText);

}  // namespace

BENCHMARK_MAIN();
