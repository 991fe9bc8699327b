#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>
#include <QList>

namespace tarnel {

// A KML 2.2 file, UTF-8: a Document named `documentName` holding the points as Placemarks in
// their order, each with its name, its description and TimeStamp when known, and a Point whose
// coordinates carry the altitude when known. Every text is as ExportSafeText gives it.
QByteArray KmlPlacemarksFile(const QString& documentName, const QList<PlacedPoint>& points);

// KmlPlacemarksFile of the one point, the document named as the point.
QByteArray KmlPointFile(const PlacedPoint& point);

} // namespace tarnel
