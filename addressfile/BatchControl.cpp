#include "addressfile/BatchControl.h"

namespace tarnel {

void BatchControl::Pause() {
    const std::lock_guard lock(mutex_);
    paused_ = true;
}

void BatchControl::Resume() {
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
        reason_.clear();
    }
    changed_.notify_all();
}

void BatchControl::Cancel() {
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_) {
            return;
        }
        cancelled_ = true;
    }
    changed_.notify_all();
    if (onCancel_) {
        onCancel_();
    }
}

bool BatchControl::Cancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

bool BatchControl::Paused() const {
    const std::lock_guard lock(mutex_);
    return paused_;
}

QString BatchControl::PauseReason() const {
    const std::lock_guard lock(mutex_);
    return reason_;
}

bool BatchControl::WaitWhilePaused() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !paused_ || cancelled_; });
    return !cancelled_;
}

void BatchControl::PauseBecause(const QString& reason) {
    const std::lock_guard lock(mutex_);
    paused_ = true;
    reason_ = reason;
}

bool BatchControl::SleepFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return cancelled_; });
}

} // namespace tarnel
