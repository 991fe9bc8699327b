#include "mapservice/CachingGeocoder.h"

#include <utility>

namespace tarnel {

CachingGeocoder::CachingGeocoder(std::unique_ptr<Geocoder> upstream, qsizetype capacity)
    : upstream_(std::move(upstream))
    , results_(capacity) {
}

GeocodeResult CachingGeocoder::Locate(const QString& address) {
    const QString key = address.simplified().toCaseFolded();
    std::promise<GeocodeResult> promise;
    std::unique_lock lock(mutex_);
    // object() also marks the address as the one used last.
    if (const std::shared_future<GeocodeResult>* known = results_.object(key)) {
        const std::shared_future<GeocodeResult> shared = *known;
        lock.unlock();
        return shared.get();
    }
    results_.insert(key, new std::shared_future<GeocodeResult>(promise.get_future().share()));
    lock.unlock();

    GeocodeResult result;
    try {
        result = upstream_->Locate(address);
    } catch (...) {
        // Those waiting on this lookup must get an answer whatever happens upstream.
        result = GeocodeResult{};
    }
    promise.set_value(result);
    if (result.outcome != GeocodeResult::Outcome::Found &&
        result.outcome != GeocodeResult::Outcome::NoMatch) {
        lock.lock();
        results_.remove(key);
    }
    return result;
}

QString CachingGeocoder::SourceName() const {
    return upstream_->SourceName();
}

void CachingGeocoder::CancelLookups() {
    if (upstream_) {
        upstream_->CancelLookups();
    }
}

} // namespace tarnel
