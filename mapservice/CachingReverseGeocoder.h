#pragma once

#include "mapservice/ReverseGeocoder.h"

#include <QCache>
#include <QString>
#include <future>
#include <memory>
#include <mutex>

namespace tarnel {

// Keeps the answers of another reverse geocoder for the `capacity` points asked last, so that
// one point reaches the upstream once: later and concurrent lookups of the same point share the
// first one's result. Points are the same when they agree to 5 decimals (about a metre), closer
// than any address is told apart. Only answers about the place are kept: a lookup that failed
// (time-out, refusal) is tried again next time.
class CachingReverseGeocoder final : public ReverseGeocoder {
public:
    static constexpr qsizetype kDefaultCapacity = 4096;

    explicit CachingReverseGeocoder(std::unique_ptr<ReverseGeocoder> upstream,
                                    qsizetype capacity = kDefaultCapacity);

    NearestAddress Nearest(const Place& point) override;
    QString SourceName() const override;
    void CancelLookups() override;

private:
    const std::unique_ptr<ReverseGeocoder> upstream_;
    std::mutex mutex_;
    QCache<QString, std::shared_future<NearestAddress>> results_; // also those still in flight
};

} // namespace tarnel
