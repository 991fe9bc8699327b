#pragma once

#include "core/GeoPoint.h"

#include <optional>

namespace tarnel {

// Metres east (X) and north (Y) in a projected system.
struct ProjectedPoint {
    double x = 0;
    double y = 0;
};

// The EPSG codes of Lambert 93 and of the nine conic zones CC42 ... CC50.
constexpr int kLambert93 = 2154;
constexpr int kFirstCcZone = 42;
constexpr int kLastCcZone = 50;
constexpr int CcEpsg(int zone) {
    return 3900 + zone;
}

// The CC zone whose central latitude is nearest to `latitude` (each zone spans one degree on
// either side of it, CC50 up to Dunkirk at 51.1°), 0 when `latitude` lies far beyond every
// zone. Whether the point lies in the zone's area is ToConic's to say.
int CcZoneFor(double latitude);

// The WGS 84 point in the conic system `epsg` (kLambert93 or a CcEpsg), through PROJ's
// transformation from its database (WGS 84 to RGF93 v1 is the null transformation, about 1 m;
// no grid is used, the network stays off). Nothing when `epsg` is none of those systems or
// the point lies outside the system's area of use.
std::optional<ProjectedPoint> ToConic(int epsg, GeoPoint point);

// Back to WGS 84; nothing when the point falls outside the system's area of use.
std::optional<GeoPoint> FromConic(int epsg, ProjectedPoint xy);

// Whether PROJ can convert in the system `epsg` here: false when it is none of those systems,
// or PROJ's database (proj.db, package proj-data) cannot be read.
bool ConicAvailable(int epsg);

} // namespace tarnel
