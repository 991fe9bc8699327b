#pragma once

#include "geocoding/Geocoder.h"

namespace tarnel {

// True when `point` lies in one of the rectangles around metropolitan France (Corsica
// included) and the overseas territories the Base Adresse Nationale covers: Guadeloupe,
// Martinique, French Guiana, Réunion, Mayotte, Saint-Pierre-et-Miquelon, Saint-Barthélemy and
// Saint-Martin. The rectangles take in strips of the neighbouring countries: a point there is
// only likely to be French.
bool InFranceExtents(const Place& point);

} // namespace tarnel
