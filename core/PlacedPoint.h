#pragma once

#include "core/GenericAsc.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace tarnel {

// A point as the exchange formats (GPX, KML, GeoJSON) hold it: WGS 84 decimal degrees, latitude
// in [-90, 90], longitude in [-180, 180), and its name as typed; a description, a time (UTC) and
// an altitude in metres when known, written only then. Each writer cleans the texts with
// ExportSafeText.
struct PlacedPoint {
    double latitude = 0;
    double longitude = 0;
    QString name;
    QString description;
    QDateTime time;
    std::optional<double> altitude;
};

// The point of the address window's boxes, or the French sentence that says which box holds no
// number in range (nothing is then to be written).
struct PlacedPointReading {
    std::optional<PlacedPoint> point;
    QString problem;
};

// Each coordinate box must hold a decimal number with a full stop (blanks around allowed, no
// exponent); the name is ExportedPointName's. A longitude of 180 becomes -180, the same
// meridian, since GPX takes none from 180 on. A finite altitude comes along, to the centimetre.
PlacedPointReading ReadPlacedPoint(const ExportedPoint& boxes);

// The shortest text with a full stop and no exponent that reads back as `value` ("48.856614").
QString DecimalDegreesText(double value);

} // namespace tarnel
