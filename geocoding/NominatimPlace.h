#pragma once

#include "geocoding/Geocoder.h"

#include <QJsonObject>
#include <optional>

namespace tarnel {

// Where a place of a Nominatim answer lies: its "lat" and "lon", which Nominatim writes as
// decimal texts. Nothing when either is missing, no such text or off the Earth.
std::optional<Place> NominatimPlace(const QJsonObject& match);

} // namespace tarnel
