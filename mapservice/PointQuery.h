#pragma once

#include "geocoding/Geocoder.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarnel {

// A point asked for by the map page in the query of "/point" or "/adresse".
struct PointQuery {
    std::optional<Place> place; // on Earth, its longitude within ±180
    QString error{};            // a French sentence for the page, when there is no place
};

// Reads "lat=<decimal>&lon=<decimal>" from the query of `target` ("/point?lat=48.8584&lon=2.2945"):
// each once, percent-decoded, an optional minus sign, digits and a full stop, at most 32
// characters. A longitude beyond ±180, given by a map scrolled past the antimeridian, is
// brought back within it; a latitude beyond ±90 is off Earth.
PointQuery ReadPointQuery(QByteArrayView target);

} // namespace tarnel
