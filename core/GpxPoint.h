#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>

namespace tarnel {

// A GPX 1.1 file, UTF-8, holding the point as its one waypoint (wpt lat/lon, its name as
// ExportSafeText gives it), and its altitude as "ele" when known.
QByteArray GpxPointFile(const PlacedPoint& point);

} // namespace tarnel
