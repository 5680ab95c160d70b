// The real device backend, watched: counts what reaches the device, so tests can tell that a
// settings change is applied once and in order.
#pragma once

#include "serial/serial_device.h"

#include <QStringList>

#include <memory>

namespace testing_support {

struct DeviceLog {
    QStringList calls;  // "queues", "line", "timeouts", in order
    serial::LineSettings lastLine;
    int Count(const QString& call) const { return static_cast<int>(calls.count(call)); }
};

class SpyDevice final : public serial::SerialDevice {
  public:
    explicit SpyDevice(std::shared_ptr<DeviceLog> log)
        : real_(serial::CreateSystemSerialDevice()), log_(std::move(log)) {}

    int Open(const QString& port) override { return real_->Open(port); }
    void Close() override { real_->Close(); }
    bool IsOpen() const override { return real_->IsOpen(); }
    int SetQueueSizes(int in, int out) override {
        log_->calls << "queues";
        return real_->SetQueueSizes(in, out);
    }
    int SetLineSettings(const serial::LineSettings& s) override {
        log_->calls << "line";
        log_->lastLine = s;
        return real_->SetLineSettings(s);
    }
    int SetTimeouts(const serial::TComTimeouts& t) override {
        log_->calls << "timeouts";
        return real_->SetTimeouts(t);
    }
    serial::IoResult Write(const char* d, int n) override { return real_->Write(d, n); }
    serial::IoResult Read(char* d, int n) override { return real_->Read(d, n); }
    int DrainOutput() override { return real_->DrainOutput(); }
    int Purge(bool input, bool output) override { return real_->Purge(input, output); }
    int ResumeOutput() override { return real_->ResumeOutput(); }
    serial::IoResult WaitingCount() override { return real_->WaitingCount(); }
    int ModemStatus(unsigned* lines) override { return real_->ModemStatus(lines); }
    std::unique_ptr<serial::DeviceEventWaiter> CreateEventWaiter(serial::TComEvents e,
                                                                 int* error) override {
        return real_->CreateEventWaiter(e, error);
    }

  private:
    std::unique_ptr<serial::SerialDevice> real_;
    std::shared_ptr<DeviceLog> log_;
};

}  // namespace testing_support
