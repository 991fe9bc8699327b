#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tarnel {

// How the user steers a batch running on its worker thread: pause, resume, cancel. The batch
// also pauses itself when a service cannot be reached, saying why. Thread-safe.
class BatchControl {
public:
    void Pause();
    void Resume();
    // For good: every wait ends, and `onCancel` (set before the batch starts) stops the
    // services' requests in flight.
    void Cancel();
    void OnCancel(std::function<void()> onCancel) { onCancel_ = std::move(onCancel); }

    bool Cancelled() const;
    bool Paused() const;
    // Why the batch paused itself, empty when the user paused it or it runs.
    QString PauseReason() const;

    // Waits while paused; false once cancelled.
    bool WaitWhilePaused();
    // Pauses with `reason`, until Resume().
    void PauseBecause(const QString& reason);
    // Sleeps `duration`; false as soon as cancelled.
    bool SleepFor(std::chrono::milliseconds duration);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool paused_ = false;
    bool cancelled_ = false;
    QString reason_;
    std::function<void()> onCancel_;
};

} // namespace tarnel
