#pragma once

#include "addressfile/BatchRun.h"
#include "mapservice/MapService.h"

#include <memory>

namespace tarnel {

// The services a file of addresses is geocoded with, made from the configured endpoints and
// kept alive as long as the set: the CSV geocoding, the French search, Nominatim (its turns
// shared with the map's searches) and, when asked, the altitudes. An endpoint left empty turns
// its service off.
class BatchServiceSet {
public:
    BatchServiceSet(const GeocoderEndpoints& endpoints, bool withAltitude);
    ~BatchServiceSet();
    BatchServiceSet(const BatchServiceSet&) = delete;
    BatchServiceSet& operator=(const BatchServiceSet&) = delete;

    BatchServices Pointers() const;

private:
    std::unique_ptr<GeoplateformeCsvSearch> csv_;
    std::unique_ptr<Geocoder> france_;
    std::unique_ptr<Geocoder> world_;
    std::unique_ptr<AltitudeBatch> altitude_;
};

} // namespace tarnel
