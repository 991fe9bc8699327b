#include "mapservice/CachingReverseGeocoder.h"

#include <utility>

namespace tarnel {

CachingReverseGeocoder::CachingReverseGeocoder(std::unique_ptr<ReverseGeocoder> upstream,
                                               qsizetype capacity)
    : upstream_(std::move(upstream))
    , results_(capacity) {
}

NearestAddress CachingReverseGeocoder::Nearest(const Place& point) {
    const QString key = QString::number(qRound64(point.latitude * 1e5)) + u',' +
                        QString::number(qRound64(point.longitude * 1e5));
    std::promise<NearestAddress> promise;
    std::unique_lock lock(mutex_);
    // object() also marks the point as the one used last.
    if (const std::shared_future<NearestAddress>* known = results_.object(key)) {
        const std::shared_future<NearestAddress> shared = *known;
        lock.unlock();
        return shared.get();
    }
    results_.insert(key, new std::shared_future<NearestAddress>(promise.get_future().share()));
    lock.unlock();

    NearestAddress result;
    try {
        result = upstream_->Nearest(point);
    } catch (...) {
        // Those waiting on this lookup must get an answer whatever happens upstream.
        result = NearestAddress{};
    }
    promise.set_value(result);
    if (result.outcome != GeocodeResult::Outcome::Found &&
        result.outcome != GeocodeResult::Outcome::NoMatch) {
        lock.lock();
        results_.remove(key);
    }
    return result;
}

QString CachingReverseGeocoder::SourceName() const {
    return upstream_->SourceName();
}

void CachingReverseGeocoder::CancelLookups() {
    upstream_->CancelLookups();
}

} // namespace tarnel
