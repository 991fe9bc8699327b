#include "places/PlaceJson.h"

#include <cmath>

namespace tarnel {

namespace {

// The largest whole number a JSON number (a double) holds exactly.
constexpr double kLargestId = 9007199254740992.0;

// A text field: empty when left out and `optional`, nothing when of another type.
std::optional<QString> TextOf(const QJsonObject& json, QLatin1String key, bool optional) {
    const QJsonValue value = json.value(key);
    if (value.isUndefined() && optional)
        return QString();
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

QJsonObject PlaceJson(const SavedPlace& place) {
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

QJsonArray PlacesJson(const QList<SavedPlace>& places) {
    QJsonArray array;
    for (const SavedPlace& place : places)
        array.append(PlaceJson(place));
    return array;
}

std::optional<qint64> PlaceIdFromJson(const QJsonValue& value) {
    const double id = value.toDouble(0);
    if (!value.isDouble() || id < 1 || id > kLargestId || id != std::floor(id))
        return std::nullopt;
    return static_cast<qint64>(id);
}

std::optional<SavedPlace> PlaceFromJson(const QJsonObject& json, bool stored) {
    const auto name = TextOf(json, QLatin1String("name"), false);
    const auto address = TextOf(json, QLatin1String("address"), true);
    const auto note = TextOf(json, QLatin1String("note"), true);
    const QJsonValue latitude = json.value(QLatin1String("latitude"));
    const QJsonValue longitude = json.value(QLatin1String("longitude"));
    const QJsonValue altitude = json.value(QLatin1String("altitude"));
    if (!name || !address || !note || !latitude.isDouble() || !longitude.isDouble() ||
        !(altitude.isUndefined() || altitude.isNull() || altitude.isDouble()))
        return std::nullopt;
    SavedPlace place{.name = name->trimmed(),
                     .latitude = latitude.toDouble(),
                     .longitude = longitude.toDouble(),
                     .address = *address,
                     .note = *note,
                     .altitude = std::nullopt,
                     .added = {}};
    if (altitude.isDouble())
        place.altitude = altitude.toDouble();
    if (stored) {
        const auto id = PlaceIdFromJson(json.value(QLatin1String("id")));
        place.added =
            QDateTime::fromString(json.value(QLatin1String("added")).toString(), Qt::ISODateWithMs);
        if (!id || !place.added.isValid())
            return std::nullopt;
        place.id = *id;
    }
    return place;
}

} // namespace tarnel
