#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tarnel {

// A one-way switch that the end of the program throws: waits and transfers that watch it end at
// once instead of running out their time. Safe to use from several threads at once.
class Cancellation {
public:
    using Clock = std::chrono::steady_clock;

    // From now on Cancelled() is true and every SleepUntil() returns at once.
    void Cancel();
    bool Cancelled() const;

    // Sleeps until `until`; true when that moment came, false as soon as Cancel() is called.
    bool SleepUntil(Clock::time_point until) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cancelledChanged_;
    bool cancelled_ = false;
};

} // namespace tarnel
