#include "com_thread.h"

namespace serial {

namespace {
// Closing checks for a stuck hand-off at least this often, as the platform's wait did.
constexpr std::chrono::milliseconds kCloseCheckInterval{1000};
}  // namespace

TComThread::TComThread(std::unique_ptr<DeviceEventWaiter> waiter, std::function<void()> post)
    : waiter_(std::move(waiter)), post_(std::move(post)) {
    thread_ = std::thread([this] { Run(); });
}

TComThread::~TComThread() {
    if (thread_.joinable()) {
        StopAndJoin([this] {
            if (TakeHandoff())
                FinishHandoff(false);
        });
    }
}

void TComThread::Run() {
    for (;;) {
        const DeviceWake wake = waiter_->Wait();
        if (wake.stop)
            break;
        {
            std::lock_guard lock(mutex_);
            wake_ = wake;
            handoff_ = Handoff::Pending;
        }
        changed_.notify_all();
        post_();
        bool keepRunning = true;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return handoff_ == Handoff::Finished; });
            handoff_ = Handoff::None;
            keepRunning = keepRunning_;
        }
        if (!keepRunning || wake.hangUp)
            break;
    }
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void TComThread::RequestStop() {
    waiter_->Stop();
}

std::optional<DeviceWake> TComThread::TakeHandoff() {
    std::lock_guard lock(mutex_);
    if (handoff_ != Handoff::Pending)
        return std::nullopt;
    handoff_ = Handoff::Taken;
    return wake_;
}

void TComThread::FinishHandoff(bool keepRunning) {
    {
        std::lock_guard lock(mutex_);
        if (handoff_ != Handoff::Taken)
            return;
        keepRunning_ = keepRunning_ && keepRunning;
        handoff_ = Handoff::Finished;
    }
    changed_.notify_all();
}

bool TComThread::HandoffInProgress() const {
    std::lock_guard lock(mutex_);
    return handoff_ == Handoff::Taken;
}

bool TComThread::Ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

void TComThread::StopAndJoin(const std::function<void()>& serve) {
    RequestStop();
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kCloseCheckInterval,
                          [this] { return ended_ || handoff_ == Handoff::Pending; });
        if (ended_)
            break;
        const bool pending = handoff_ == Handoff::Pending;
        lock.unlock();
        if (pending)
            serve();
    }
    Join();
}

void TComThread::Join() {
    if (thread_.joinable())
        thread_.join();
}

}  // namespace serial
