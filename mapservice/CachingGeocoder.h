#pragma once

#include "mapservice/Geocoder.h"

#include <QHash>
#include <QString>
#include <future>
#include <memory>
#include <mutex>

namespace tarnel {

// Keeps every answer of another geocoder for the life of the object, so that one address
// reaches the upstream once: later and concurrent lookups of the same address (compared
// without regard to case or runs of blanks) share the first one's result. Failures are not
// kept, so a lookup that timed out is tried again next time.
class CachingGeocoder final : public Geocoder {
public:
    explicit CachingGeocoder(std::unique_ptr<Geocoder> upstream);

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override;

private:
    const std::unique_ptr<Geocoder> upstream_;
    std::mutex mutex_;
    QHash<QString, std::shared_future<GeocodeResult>> results_; // also those still in flight
};

} // namespace tarnel
