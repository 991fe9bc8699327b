#include "geocoding/RateLimiter.h"

#include <algorithm>

namespace tarnel {

RateLimiter::RateLimiter(std::chrono::milliseconds interval, std::chrono::milliseconds maxWait)
    : interval_(interval)
    , maxWait_(maxWait)
    , nextFree_(Clock::now()) {
}

bool RateLimiter::Acquire() {
    const Cancellation never;
    return Acquire(never);
}

bool RateLimiter::Acquire(const Cancellation& cancel) {
    Clock::time_point turn;
    {
        const std::lock_guard lock(mutex_);
        const auto now = Clock::now();
        turn = std::max(now, nextFree_);
        if (turn - now > maxWait_) {
            return false;
        }
        nextFree_ = turn + interval_;
    }
    return cancel.SleepUntil(turn);
}

} // namespace tarnel
