#pragma once

#include "geocoding/Geocoder.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <optional>

namespace tarnel {

// The parts of a GeoCodeJSON answer (the Géoplateforme's search and reverse) both its readers
// take alike.

// The answer's features, or nothing when it is no JSON object with an array of features.
std::optional<QJsonArray> GeoCodeJsonFeatures(const QByteArray& json);

// Where a feature lies (its geometry's [longitude, latitude]), or nothing when these are
// missing, not numbers or off the Earth.
std::optional<Place> GeoCodeJsonPlace(const QJsonObject& feature);

} // namespace tarnel
