// TComThread, the serial port's event thread. It sleeps in the device's event wait and hands
// each wake to the UI thread synchronously: it posts (through `post`) and then waits until the
// UI thread has taken and finished the hand-off, so the port's handlers always run on the UI
// thread, one at a time. A hang-up is handed over once and ends the thread; so does a hand-off
// finished with keepRunning false (a handler's exception).
#pragma once

#include "serial_device.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace serial {

class TComThread {
  public:
    // Starts the thread. `post` runs on the event thread after each wake and must get the
    // hand-off served on the UI thread (the component posts an event to itself).
    TComThread(std::unique_ptr<DeviceEventWaiter> waiter, std::function<void()> post);
    // Stops and joins if that was not done; pending hand-offs are finished unhandled.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Any thread. The thread ends at its next wait, or after the hand-off it is in.
    void RequestStop();

    // UI thread. The wake waiting for the UI thread, now taken so that no one else handles
    // it; nothing when there is none or it is already being handled.
    std::optional<DeviceWake> TakeHandoff();
    // UI thread. Lets the thread go on after a taken hand-off; keepRunning false ends it.
    void FinishHandoff(bool keepRunning);
    // A hand-off has been taken and not yet finished (its handler is on the UI stack).
    bool HandoffInProgress() const;
    bool Ended() const;

    // UI thread. Requests a stop and waits for the thread to end, giving `serve` every
    // hand-off that arrives meanwhile (checked at least once a second). Must not be called
    // while a hand-off of this thread is in progress.
    void StopAndJoin(const std::function<void()>& serve);
    // UI thread. Joins a thread that has ended or will end without a further hand-off.
    void Join();

  private:
    enum class Handoff { None, Pending, Taken, Finished };

    void Run();

    std::unique_ptr<DeviceEventWaiter> waiter_;
    std::function<void()> post_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Handoff handoff_ = Handoff::None;
    DeviceWake wake_;
    bool keepRunning_ = true;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace serial
