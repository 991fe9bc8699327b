#include "places/PlaceJson.h"

namespace tarnel {

QJsonObject PlaceJson(const Place& place) {
    return {
        {QStringLiteral("id"), place.id},
        {QStringLiteral("name"), place.name},
        {QStringLiteral("latitude"), place.latitude},
        {QStringLiteral("longitude"), place.longitude},
        {QStringLiteral("address"), place.address},
        {QStringLiteral("note"), place.note},
        {QStringLiteral("altitude"), place.altitude ? QJsonValue(*place.altitude) : QJsonValue()},
        {QStringLiteral("added"), place.added.toUTC().toString(Qt::ISODateWithMs)},
    };
}

QJsonArray PlacesJson(const QList<Place>& places) {
    QJsonArray array;
    for (const Place& place : places)
        array.append(PlaceJson(place));
    return array;
}

} // namespace tarnel
