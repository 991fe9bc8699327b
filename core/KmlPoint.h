#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>

namespace tarnel {

// A KML 2.2 file, UTF-8, holding the point as one named Placemark.
QByteArray KmlPointFile(const PlacedPoint& point);

} // namespace tarnel
