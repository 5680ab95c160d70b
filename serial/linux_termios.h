// Setting and reading a Linux tty's line through termios2, the kernel's own form: it takes any
// rate (BOTHER) in the same call, and it is not second-guessed by the C library, whose
// tcsetattr reports EINVAL when a pseudo-terminal drops parity or data bits it cannot carry.
// Kept in its own file because the kernel's termios header cannot be included beside the C
// library's.
#pragma once

namespace serial::posix {

// The fields of a C-library termios (same values as the kernel's on Linux).
struct TermiosFields {
    unsigned iflag = 0;
    unsigned oflag = 0;
    unsigned cflag = 0;  // its rate bits are replaced by `rate`
    unsigned lflag = 0;
    const unsigned char* cc = nullptr;
    int ccCount = 0;
};

// Sets the line with both directions at `rate` bits per second (a B constant in `fields`
// when `customRate` is false); 0 or errno.
int SetLine(int fd, const TermiosFields& fields, int rate, bool customRate);
// The output rate in force, in bits per second; 0 or errno. On a pseudo-terminal the master
// reports the rate the slave was given.
int GetBaudRate(int fd, int* rate);

}  // namespace serial::posix
