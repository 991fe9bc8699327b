#include "geocoding/GeoCodeJson.h"

#include "geocoding/PlaceCheck.h"

#include <QJsonDocument>

namespace tarnel {

std::optional<QJsonArray> GeoCodeJsonFeatures(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonValue features = document.object().value(QLatin1String("features"));
    if (!features.isArray()) {
        return std::nullopt;
    }
    return features.toArray();
}

std::optional<Place> GeoCodeJsonPlace(const QJsonObject& feature) {
    const QJsonArray point = feature.value(QLatin1String("geometry"))
                                 .toObject()
                                 .value(QLatin1String("coordinates"))
                                 .toArray();
    if (point.size() < 2 || !point.at(0).isDouble() || !point.at(1).isDouble()) {
        return std::nullopt;
    }
    const Place place{point.at(1).toDouble(), point.at(0).toDouble()};
    if (!IsValidPlace(place)) {
        return std::nullopt;
    }
    return place;
}

} // namespace tarnel
