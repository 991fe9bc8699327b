#include "geocoding/CachingReverseGeocoder.h"

#include <utility>

namespace tarnel {

CachingReverseGeocoder::CachingReverseGeocoder(std::unique_ptr<ReverseGeocoder> upstream,
                                               qsizetype capacity)
    : upstream_(std::move(upstream))
    , results_(capacity) {
}

NearestAddress CachingReverseGeocoder::Nearest(const Place& point) {
    return results_.Get(PointKey(point), [&] { return upstream_->Nearest(point); });
}

QString CachingReverseGeocoder::SourceName() const {
    return upstream_->SourceName();
}

void CachingReverseGeocoder::CancelLookups() {
    upstream_->CancelLookups();
}

} // namespace tarnel
