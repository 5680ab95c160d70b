#include "linux_termios.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

namespace serial::posix {

int SetLine(int fd, const TermiosFields& f, int rate, bool customRate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;  // keeps the line discipline
    t.c_iflag = f.iflag;
    t.c_oflag = f.oflag;
    t.c_lflag = f.lflag;
    // Input at the output rate: CIBAUD 0.
    t.c_cflag = f.cflag & ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= customRate ? BOTHER : (f.cflag & CBAUD);
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(rate);
    std::copy_n(f.cc, std::min(f.ccCount, static_cast<int>(NCCS)), t.c_cc);
    return ioctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
}

int GetBaudRate(int fd, int* rate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    *rate = static_cast<int>(t.c_ospeed);
    return 0;
}

}  // namespace serial::posix
