#pragma once

#include "geocoding/Cancellation.h"

#include <chrono>
#include <mutex>

namespace tarnel {

// Spaces calls out to at least `interval` apart, across threads, in the order they ask.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    // `maxWait` bounds how long one caller may be made to wait for its turn.
    RateLimiter(std::chrono::milliseconds interval, std::chrono::milliseconds maxWait);

    // Waits for the caller's turn and returns true; returns false at once, taking no turn, when
    // that turn lies further than `maxWait` ahead, and as soon as `cancel` is thrown.
    bool Acquire(const Cancellation& cancel);
    // The same for a caller that is never cancelled.
    bool Acquire();

private:
    const std::chrono::milliseconds interval_;
    const std::chrono::milliseconds maxWait_;
    std::mutex mutex_;
    Clock::time_point nextFree_; // earliest moment the next turn may start
};

} // namespace tarnel
