#pragma once

#include "geocoding/Geocoder.h"

#include <QCache>
#include <QString>
#include <future>
#include <mutex>

namespace tarnel {

// The answers of a lookup for the `capacity` keys asked last, so that one key reaches the
// upstream once: later and concurrent lookups of the same key share the first one's result.
// The key used least recently is forgotten first. Only answers about the place (an `outcome`
// of Found or NoMatch) are kept: a lookup that failed (time-out, refusal) is tried again next
// time.
template <typename Result> class SharedResultCache {
public:
    explicit SharedResultCache(qsizetype capacity)
        : results_(capacity) {}

    // The result kept for `key`, or that of `lookup()`, called here once for all who ask
    // meanwhile. A `lookup` that throws counts as a default (failed) `Result`.
    template <typename Lookup> Result Get(const QString& key, Lookup&& lookup) {
        std::promise<Result> promise;
        std::unique_lock lock(mutex_);
        // object() also marks the key as the one used last.
        if (const std::shared_future<Result>* known = results_.object(key)) {
            const std::shared_future<Result> shared = *known;
            lock.unlock();
            return shared.get();
        }
        results_.insert(key, new std::shared_future<Result>(promise.get_future().share()));
        lock.unlock();

        Result result;
        try {
            result = lookup();
        } catch (...) {
            // Those waiting on this lookup must get an answer whatever happens upstream.
            result = Result{};
        }
        promise.set_value(result);
        if (result.outcome != GeocodeResult::Outcome::Found &&
            result.outcome != GeocodeResult::Outcome::NoMatch) {
            lock.lock();
            results_.remove(key);
        }
        return result;
    }

private:
    std::mutex mutex_;
    QCache<QString, std::shared_future<Result>> results_; // also those still in flight
};

} // namespace tarnel
