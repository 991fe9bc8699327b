#pragma once

#include "addressfile/BatchRun.h"
#include "mapservice/MapService.h"

#include <memory>

namespace tarnel {

// The services a file of addresses is geocoded with, made from the configured endpoints and
// kept alive as long as the set: the CSV geocoding, the French search, Nominatim (its turns
// shared with the map's searches) and, when asked, the altitudes. An endpoint left empty turns
// its service off. A batch cancelled cancels its services for good: a set serves one run.
class BatchServiceSet {
public:
    BatchServiceSet(const GeocoderEndpoints& endpoints, bool withAltitude);
    ~BatchServiceSet();
    BatchServiceSet(const BatchServiceSet&) = delete;
    BatchServiceSet& operator=(const BatchServiceSet&) = delete;

    const BatchServices& Pointers() const { return pointers_; }

    // A set of its own for each run of the window, kept alive by the pointers handed out.
    static std::shared_ptr<const BatchServices> ForOneRun(const GeocoderEndpoints& endpoints);

private:
    std::unique_ptr<GeoplateformeCsvSearch> csv_;
    std::unique_ptr<Geocoder> france_;
    std::unique_ptr<Geocoder> world_;
    std::unique_ptr<AltitudeBatch> altitude_;
    BatchServices pointers_;
};

} // namespace tarnel
