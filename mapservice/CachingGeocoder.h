#pragma once

#include "mapservice/Geocoder.h"

#include <QCache>
#include <QString>
#include <future>
#include <memory>
#include <mutex>

namespace tarnel {

// Keeps the answers of another geocoder for the `capacity` addresses looked up last, so that
// one address reaches the upstream once: later and concurrent lookups of the same address
// (compared without regard to case or runs of blanks) share the first one's result. The
// address used least recently is forgotten first. Only answers about the place are kept: a
// lookup that failed (time-out, refusal) is tried again next time.
class CachingGeocoder final : public Geocoder {
public:
    static constexpr qsizetype kDefaultCapacity = 4096;

    explicit CachingGeocoder(std::unique_ptr<Geocoder> upstream,
                             qsizetype capacity = kDefaultCapacity);

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override;

private:
    const std::unique_ptr<Geocoder> upstream_;
    std::mutex mutex_;
    QCache<QString, std::shared_future<GeocodeResult>> results_; // also those still in flight
};

} // namespace tarnel
