// The test keyer as a program, for trying Corvatta without a keyer and for
// screenshots: it serves a simulated WinKeyer on a pseudo-terminal whose
// name is a symbolic link at the given path, until it is stopped.
//   wk_simulator /tmp/winkeyer      then name /tmp/winkeyer as Corvatta's port
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <unistd.h>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t stop = 0;

void Stop(int) {
    stop = 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <link path for the keyer's port>\n", argv[0]);
        return 2;
    }
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    testing_support::WinKeyerSimulator keyer(QString::fromLocal8Bit(argv[1]));
    std::printf("keyer on %s (%s)\n", argv[1], qPrintable(keyer.SlavePath()));
    std::fflush(stdout);
    while (!stop) {
        pause();
    }
    return 0;
}
