#include "geocoding/NominatimPlace.h"

#include "geocoding/PlaceCheck.h"

#include <QJsonValue>

namespace tarnel {

namespace {

std::optional<double> ReadDecimal(const QJsonValue& value) {
    if (!value.isString()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toString().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

std::optional<Place> NominatimPlace(const QJsonObject& match) {
    const auto latitude = ReadDecimal(match.value(QLatin1String("lat")));
    const auto longitude = ReadDecimal(match.value(QLatin1String("lon")));
    if (!latitude || !longitude || !IsValidPlace({*latitude, *longitude})) {
        return std::nullopt;
    }
    return Place{*latitude, *longitude};
}

} // namespace tarnel
