// The one small interface between the serial port component and the operating system's
// serial device. The component holds the logic (numbers, order, state); a backend only does
// each operation and reports the system's error code. The POSIX backend is
// serial_device_posix.cpp; a Windows one would sit beside it.
#pragma once

#include "com_types.h"

#include <QString>

#include <cerrno>

#include <memory>

namespace serial {

// What woke the event thread.
struct DeviceWake {
    bool stop = false;      // the stop request, nothing else looked at
    bool received = false;  // new bytes arrived (evRxChar)
    bool hangUp = false;    // the device is gone (an unplugged adapter, a closed pty master)
};

// Waits for device events or a stop request; owned by the event thread. Wait() runs on that
// thread, Stop() on any thread, and a stop stays requested once made.
class DeviceEventWaiter {
  public:
    virtual ~DeviceEventWaiter() = default;
    virtual DeviceWake Wait() = 0;
    virtual void Stop() = 0;
};

// The result of a read, write or count: the bytes moved (or counted), or a system error code.
struct IoResult {
    int count = 0;
    int error = 0;  // 0 on success
};

// Modem input lines, as reported by the status query.
enum ModemLine : unsigned { kModemCts = 1, kModemDsr = 2, kModemRing = 4, kModemRlsd = 8 };

// Each call returns 0 or the system's error code (errno on POSIX). All calls but the
// waiter's come from the UI thread.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Exclusive open by port name: an absolute path as it is, any other name under /dev/.
    virtual int Open(const QString& port) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual int SetQueueSizes(int inputSize, int outputSize) = 0;
    virtual int SetLineSettings(const LineSettings& settings) = 0;
    virtual int SetTimeouts(const TComTimeouts& timeouts) = 0;

    // A write ends when all bytes are queued in the driver or the write timeout has expired
    // (then count is below size, which is not an error). A read returns what has arrived.
    virtual IoResult Write(const char* data, int size) = 0;
    virtual IoResult Read(char* data, int size) = 0;
    // Waits until the bytes writes have queued have left the driver, bounded by the write
    // timeout as a write of that many bytes is; ETIMEDOUT when the line would not take them.
    virtual int DrainOutput() = 0;
    // Discards the driver's receive queue, transmit queue or both.
    virtual int Purge(bool input, bool output) = 0;
    // Restarts output that a received XOFF character suspended; nothing happens when output
    // was not suspended.
    virtual int ResumeOutput() = 0;
    // Bytes waiting in the driver's receive queue.
    virtual IoResult WaitingCount() = 0;
    // A ModemLine combination; lines a device cannot report (a pseudo-terminal) read as 0.
    virtual int ModemStatus(unsigned* lines) = 0;

    // Raises or drops DTR or RTS on its own, to key a transmitter. Unlike the line settings,
    // which let a pseudo-terminal pass, a device without modem lines reports its error here:
    // a transmitter that was not keyed must be told.
    enum class OutputLine { Dtr, Rts };
    virtual int SetOutputLine(OutputLine line, bool on) {
        (void)line;
        (void)on;
        return ENOTSUP;
    }

    // A waiter for the event thread, watching for what `events` asks (hang-ups always).
    // Null with `error` set when it cannot be made.
    virtual std::unique_ptr<DeviceEventWaiter> CreateEventWaiter(TComEvents events, int* error) = 0;
};

// The backend of this operating system.
std::unique_ptr<SerialDevice> CreateSystemSerialDevice();

}  // namespace serial
