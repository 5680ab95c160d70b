// The built-in keyer's pseudo-terminal: from a byte the host writes to the
// busy status it reads back, through the port's notifier on the event loop,
// the keyer and the write to the host. Part of the time from a key press to
// the sidetone; the goal for that whole way is 50 ms.
#include "practice/virtual_keyer_port.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstring>

namespace corvatta::practice {
namespace {

void BM_HostByteToBusyStatus(benchmark::State& state) {
    QElapsedTimer clock;
    clock.start();
    VirtualKeyer keyer;
    VirtualKeyerPort port(keyer, [&] { return double(clock.nsecsElapsed()) / 1e9; });
    if (!port.Open()) {
        state.SkipWithError(port.Error().toStdString().c_str());
        return;
    }
    const int host = ::open(port.PortPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    const char open[] = {0x00, 0x02};
    char reply[64];
    ssize_t written = ::write(host, open, sizeof open);
    for (auto _ : state) {
        // One character, and a clear so the next round starts idle.
        written += ::write(host, "E\x0A", 2);
        for (bool busy = false; !busy;) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            pollfd p{host, POLLIN, 0};
            while (poll(&p, 1, 0) > 0) {
                const ssize_t n = ::read(host, reply, sizeof reply);
                busy = busy || (n > 0 && std::memchr(reply, '\xC4', size_t(n)));
            }
        }
    }
    benchmark::DoNotOptimize(written);
    ::close(host);
}
BENCHMARK(BM_HostByteToBusyStatus)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvatta::practice

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
