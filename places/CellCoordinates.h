#pragma once

#include "core/GeoPoint.h"

#include <QStringView>
#include <optional>

namespace tarnel {

// The point of a table's latitude and longitude cells: each an angle as ReadAngle reads it
// (decimal degrees with a full stop or a comma, degrees-minutes-seconds, degrees and decimal
// minutes, a sign or a hemisphere letter), or else, both being metres, Lambert 93's X in the
// longitude cell and Y in the latitude cell. Nothing when neither reads or the point is off
// Earth or outside Lambert 93's area.
std::optional<GeoPoint> ReadCoordinateCells(QStringView latitude, QStringView longitude);

// The point of one cell holding both coordinates in any form the coordinate forms read
// (ReadCoordinateForm): "48.8584, 2.2945", "48,8584; 2,2945", "48,8584 2,2945", lettered
// degrees-minutes-seconds or decimal minutes, Lambert 93 or a CC zone's metres, UTM, MGRS.
std::optional<GeoPoint> ReadCoordinateCell(QStringView text);

} // namespace tarnel
