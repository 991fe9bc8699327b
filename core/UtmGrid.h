#pragma once

#include "core/GeoPoint.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnel {

// A point in the Universal Transverse Mercator grid on WGS 84.
struct UtmPoint {
    int zone = 0;      // 1 ... 60
    bool north = true; // hemisphere
    double easting = 0;
    double northing = 0;
};

// The point in its standard zone (GeographicLib's, Norway and Svalbard exceptions included;
// the overseas departments fall in 20N, 22N, 38S, 40S). Nothing beyond UTM's latitudes
// (below 80°S, from 84°N), where the polar grid takes over.
std::optional<UtmPoint> ToUtm(GeoPoint point);

// "31N 448251.80 5411932.68": zone, hemisphere N or S, easting and northing in metres to 1 cm.
QString UtmText(const UtmPoint& utm);

// Reads UtmText's form back (blanks free, hemisphere in either case). Nothing when it is
// not that form or the metres lie outside the zone's grid.
std::optional<GeoPoint> ReadUtmText(QStringView text);

// The Military Grid Reference System square of the point to 1 m ("31UDQ4825111932"), the
// polar grid included.
QString MgrsText(GeoPoint point);

// Reads a grid reference of any precision back to the centre of its square; blanks ignored.
std::optional<GeoPoint> ReadMgrsText(QStringView text);

} // namespace tarnel
