#include "geocoding/CachingReverseGeocoder.h"

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
    return results_.Get(key, [&] { return upstream_->Nearest(point); });
}

QString CachingReverseGeocoder::SourceName() const {
    return upstream_->SourceName();
}

void CachingReverseGeocoder::CancelLookups() {
    upstream_->CancelLookups();
}

} // namespace tarnel
