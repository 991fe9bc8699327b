#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>

namespace tarnel {

// A GeoJSON (RFC 7946) FeatureCollection, UTF-8, holding the point as one Feature whose
// "name" property is the point's name as ExportSafeText gives it; its altitude, when known, is
// the third coordinate.
QByteArray GeoJsonPointFile(const PlacedPoint& point);

} // namespace tarnel
