// The POSIX serial device: exclusive open (flock, plus TIOCEXCL for non-root openers), a raw
// termios line with the settings of the line-settings record, epoll and an eventfd for the
// event thread. A pseudo-terminal works as a port: modem-line calls it does not support are
// skipped.
#pragma once

#include "serial_device.h"

#include <termios.h>

namespace serial::posix {

// The device path of a port name: an absolute path as it is, any other name under /dev/.
QString PortPath(const QString& port);

// Fills a termios from the line-settings record, over `t` (the terminal's current state):
// raw (no echo, no line editing, no output processing), CLOCAL|CREAD, VMIN = VTIME = 0.
// termios has no 1.5 stop bits: with 5 data bits the 2-stop-bit setting is used (which a UART
// sends as 1.5), otherwise the record is refused with EINVAL. `customRate` is set when the
// rate has no B constant (SetLine in linux_termios.h then sets it as BOTHER).
// Returns 0 or EINVAL.
int BuildTermios(const LineSettings& settings, termios* t, bool* customRate);

class PosixSerialDevice final : public SerialDevice {
  public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    int Open(const QString& port) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    int SetQueueSizes(int inputSize, int outputSize) override;
    int SetLineSettings(const LineSettings& settings) override;
    int SetTimeouts(const TComTimeouts& timeouts) override;
    IoResult Write(const char* data, int size) override;
    IoResult Read(char* data, int size) override;
    int DrainOutput() override;
    int Purge(bool input, bool output) override;
    int ResumeOutput() override;
    IoResult WaitingCount() override;
    int ModemStatus(unsigned* lines) override;
    int SetOutputLine(OutputLine line, bool on) override;
    std::unique_ptr<DeviceEventWaiter> CreateEventWaiter(TComEvents events, int* error) override;

  private:
    int SetModemLine(int line, bool on);

    int fd_ = -1;
    TComTimeouts timeouts_;
};

}  // namespace serial::posix
