#pragma once

#include "places/Place.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>

namespace tarnel {

// A place as the map page receives it:
//   {"id": 12, "name": "Gare", "latitude": 48.8443, "longitude": 2.3744, "address": "…",
//    "note": "…", "altitude": 35.5, "added": "2026-12-08T14:05:06.120Z"}
// "altitude" is null when unknown; "address" and "note" are "" when empty; "added" is ISO 8601
// in UTC, with milliseconds.
QJsonObject PlaceJson(const Place& place);

// The places in their order, each as PlaceJson.
QJsonArray PlacesJson(const QList<Place>& places);

} // namespace tarnel
