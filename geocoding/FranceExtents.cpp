#include "geocoding/FranceExtents.h"

#include <algorithm>

namespace tarnel {

namespace {

struct Extent {
    double south;
    double north;
    double west;
    double east;
};

// Rounded outwards from each territory's outermost coasts and borders.
constexpr Extent kExtents[] = {
    {41.30, 51.15, -5.25, 9.60},    // metropolitan France and Corsica
    {15.80, 16.55, -61.85, -60.95}, // Guadeloupe
    {14.35, 14.90, -61.25, -60.80}, // Martinique
    {2.10, 5.80, -54.65, -51.60},   // French Guiana
    {-21.40, -20.85, 55.20, 55.85}, // Réunion
    {-13.05, -12.60, 44.95, 45.35}, // Mayotte
    {46.70, 47.15, -56.45, -56.10}, // Saint-Pierre-et-Miquelon
    {17.85, 17.98, -62.95, -62.78}, // Saint-Barthélemy
    {18.04, 18.13, -63.16, -62.96}, // Saint-Martin
};

} // namespace

bool InFranceExtents(const Place& point) {
    return std::any_of(std::begin(kExtents), std::end(kExtents), [&](const Extent& extent) {
        return point.latitude >= extent.south && point.latitude <= extent.north &&
               point.longitude >= extent.west && point.longitude <= extent.east;
    });
}

} // namespace tarnel
