#include "geocoding/Cancellation.h"

namespace tarnel {

void Cancellation::Cancel() {
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    cancelledChanged_.notify_all();
}

bool Cancellation::Cancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

bool Cancellation::SleepUntil(Clock::time_point until) const {
    std::unique_lock lock(mutex_);
    return !cancelledChanged_.wait_until(lock, until, [this] { return cancelled_; });
}

} // namespace tarnel
