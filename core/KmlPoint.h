#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>

namespace tarnel {

// A KML 2.2 file, UTF-8, holding the point as one Placemark; the document and the Placemark are
// named as ExportSafeText gives the point's name; its altitude, when known, is the third
// coordinate.
QByteArray KmlPointFile(const PlacedPoint& point);

} // namespace tarnel
