#pragma once

#include "places/PlaceFileReading.h"

#include <QByteArray>

namespace tarnel {

// The points of a GeoJSON text (RFC 7946; a UTF-8 byte order mark allowed) as places: of a
// FeatureCollection, a Feature or a bare geometry, each Point, each position of a MultiPoint,
// and the points of a GeometryCollection; the height, when given, as the altitude. A Feature's
// name is its property named "name", else "nom", else "title" (any case), its note its
// "description" or "desc". Other geometries are counted in a warning. Refused, with the French
// sentence, when the text is not GeoJSON, nests deeper than 64 levels, or holds a position that
// is not numbers in range.
PlaceFileReading ReadGeoJsonPlaces(const QByteArray& bytes);

} // namespace tarnel
