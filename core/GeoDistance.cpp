#include "core/GeoDistance.h"

#include <GeographicLib/Geodesic.hpp>

namespace tarnel {

double DistanceInMetres(const GeoPoint& from, const GeoPoint& to) {
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(from.latitude, from.longitude, to.latitude,
                                             to.longitude, metres);
    return metres;
}

} // namespace tarnel
