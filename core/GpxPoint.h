#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>
#include <QList>

namespace tarnel {

// A GPX 1.1 file, UTF-8, holding the points as waypoints in their order: wpt lat/lon, then, as
// the schema orders them, ele and time when known, the name, and desc when not empty, both texts
// as ExportSafeText gives them.
QByteArray GpxWaypointsFile(const QList<PlacedPoint>& points);

// GpxWaypointsFile of the one point.
QByteArray GpxPointFile(const PlacedPoint& point);

} // namespace tarnel
