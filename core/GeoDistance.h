#pragma once

#include "core/GeoPoint.h"

namespace tarnel {

// The distance in metres between two points along the WGS 84 ellipsoid (GeographicLib's
// geodesic), the shortest way round.
double DistanceInMetres(const GeoPoint& from, const GeoPoint& to);

} // namespace tarnel
