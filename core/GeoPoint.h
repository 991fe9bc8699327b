#pragma once

#include <cmath>

namespace tarnel {

// A WGS 84 point in decimal degrees, as the coordinate forms read and write it.
struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

// Finite, latitude within ±90, longitude within ±180.
inline bool OnEarth(const GeoPoint& point) {
    return std::isfinite(point.latitude) && std::isfinite(point.longitude) &&
           std::abs(point.latitude) <= 90 && std::abs(point.longitude) <= 180;
}

} // namespace tarnel
