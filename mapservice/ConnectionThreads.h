#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnel {

// cpp-httplib's task queue as one thread per connection, so that connections slow to send
// their request, or idle between requests, never keep another connection waiting for a
// thread; the server bounds how many connections are served at once (see GuardedServer).
// shutdown() waits for every connection's thread.
class ConnectionThreads final : public httplib::TaskQueue {
public:
    ConnectionThreads() = default;
    ~ConnectionThreads() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Joins the threads whose connection has ended.
    void ReapFinished();

    std::mutex mutex_;
    std::vector<Worker> workers_;
};

} // namespace tarnel
