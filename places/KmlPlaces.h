#pragma once

#include "places/PlaceFileReading.h"

#include <QByteArray>

namespace tarnel {

// The points of the Placemarks of a KML 2.2 file as places, in Documents and Folders at any
// depth: a Placemark's Point, or each Point of its MultiGeometry, named as the Placemark, its
// description as the note, the third coordinate as the altitude. Placemarks without a point
// (lines, polygons) are counted in a warning. Refused, with the French sentence, when the bytes
// are not a KML document, declare XML entities, nest too deep, or hold a point whose coordinates
// are not "longitude,latitude[,altitude]" in range.
PlaceFileReading ReadKmlPlaces(const QByteArray& bytes);

} // namespace tarnel
