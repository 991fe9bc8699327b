#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>
#include <QList>

namespace tarnel {

// A GeoJSON (RFC 7946) FeatureCollection, UTF-8, holding the points as Point Features in their
// order: the altitude, when known, as the third coordinate; properties "name", and "description"
// and "time" (ISO 8601, UTC) when known; the texts as ExportSafeText gives them.
QByteArray GeoJsonFeaturesFile(const QList<PlacedPoint>& points);

// GeoJsonFeaturesFile of the one point.
QByteArray GeoJsonPointFile(const PlacedPoint& point);

} // namespace tarnel
