#pragma once

#include "places/PlaceFileReading.h"

#include <QByteArray>

namespace tarnel {

// The waypoints of a GPX 1.0 or 1.1 file as places: name, desc (or else cmt) as the note, ele
// as the altitude. The points of routes and tracks too when `routeAndTrackPoints`, each named as
// itself or else as its route or track with its rank ("Boucle (3)"); a warning counts them
// otherwise. Refused, with the French sentence, when the bytes are not a GPX document, declare
// XML entities, nest too deep, or hold a point whose lat or lon is not a number in range.
PlaceFileReading ReadGpxPlaces(const QByteArray& bytes, bool routeAndTrackPoints);

} // namespace tarnel
