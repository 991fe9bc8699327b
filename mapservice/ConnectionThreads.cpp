#include "mapservice/ConnectionThreads.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tarnel {

ConnectionThreads::~ConnectionThreads() {
    shutdown();
}

void ConnectionThreads::enqueue(std::function<void()> fn) {
    const std::lock_guard lock(mutex_);
    ReapFinished();
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto task = std::make_shared<std::function<void()>>(std::move(fn));
    try {
        std::thread thread([task, done] {
            (*task)();
            *done = true;
        });
        workers_.push_back(Worker{std::move(thread), std::move(done)});
    } catch (const std::system_error&) {
        // No thread to be had: the connection is still served, and closed, here; its own
        // deadlines bound how long the accepting thread is held.
        (*task)();
    }
}

void ConnectionThreads::shutdown() {
    std::vector<Worker> workers;
    {
        const std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
}

void ConnectionThreads::ReapFinished() {
    const auto finished = std::partition(workers_.begin(), workers_.end(),
                                         [](const Worker& worker) { return !*worker.done; });
    for (auto it = finished; it != workers_.end(); ++it) {
        it->thread.join();
    }
    workers_.erase(finished, workers_.end());
}

} // namespace tarnel
