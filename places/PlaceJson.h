#pragma once

#include "places/SavedPlace.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <optional>

namespace tarnel {

// A place as the map page receives it:
//   {"id": 12, "name": "Gare", "latitude": 48.8443, "longitude": 2.3744, "address": "…",
//    "note": "…", "altitude": 35.5, "added": "2026-12-08T14:05:06.120Z"}
// "altitude" is null when unknown; "address" and "note" are "" when empty; "added" is ISO 8601
// in UTC, with milliseconds.
QJsonObject PlaceJson(const SavedPlace& place);

// The places in their order, each as PlaceJson.
QJsonArray PlacesJson(const QList<SavedPlace>& places);

// The id in `value`: a whole number from 1 up to 2^53 (what a JSON number holds exactly);
// nothing otherwise.
std::optional<qint64> PlaceIdFromJson(const QJsonValue& value);

// The place the page sends, in PlaceJson's shape: "name" (blanks around taken off), "latitude"
// and "longitude" as numbers are needed, "address" and "note" texts and "altitude" a number or
// null may be left out; "id" and "added" are read, and needed, only when `stored` (a place put
// back as it was). Nothing when a field is of another type. Whether the place lies on Earth is
// the store's to say.
std::optional<SavedPlace> PlaceFromJson(const QJsonObject& json, bool stored);

} // namespace tarnel
