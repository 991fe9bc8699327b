#include "geocoding/GeoplateformeReverseGeocoder.h"

#include "geocoding/GeoCodeJson.h"
#include "geocoding/JsonText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

// The service's published limit is 50 requests a second.
constexpr std::chrono::milliseconds kRequestInterval{20};
constexpr std::chrono::milliseconds kLongestQueue{2000};

// The street line: the feature's name ("8 Boulevard du Port") for a house number, a street or
// a place within a town; nothing for a town, whose name is its city.
QString StreetOf(const QJsonObject& properties) {
    const QString type = JsonText(properties, "type");
    if (type == QLatin1String("municipality")) {
        return {};
    }
    if (const QString name = JsonText(properties, "name"); !name.isEmpty()) {
        return name;
    }
    return (JsonText(properties, "housenumber") + u' ' + JsonText(properties, "street")).trimmed();
}

} // namespace

GeoplateformeReverseGeocoder::GeoplateformeReverseGeocoder(QString reverseUrl, QByteArray userAgent,
                                                           HttpLimits limits)
    : search_(std::move(reverseUrl), std::move(userAgent), limits, kRequestInterval,
              kLongestQueue) {
}

NearestAddress GeoplateformeReverseGeocoder::Nearest(const Place& point) {
    return search_.Ask("lon=" + DecimalParameter(point.longitude) +
                           "&lat=" + DecimalParameter(point.latitude) + "&index=address&limit=1",
                       &ReadAnswer);
}

QString GeoplateformeReverseGeocoder::SourceName() const {
    return QStringLiteral("Base Adresse Nationale");
}

NearestAddress GeoplateformeReverseGeocoder::ReadAnswer(const QByteArray& json) {
    const std::optional<QJsonArray> features = GeoCodeJsonFeatures(json);
    if (!features) {
        return {};
    }
    if (features->isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    const QJsonObject feature = features->first().toObject();
    const std::optional<Place> place = GeoCodeJsonPlace(feature);
    if (!place) {
        return {};
    }
    const QJsonObject properties = feature.value(QLatin1String("properties")).toObject();
    return {GeocodeResult::Outcome::Found, *place,
            JsonText(properties, "label"), StreetOf(properties),
            JsonText(properties, "city"),  JsonText(properties, "postcode"),
            QStringLiteral("France")};
}

} // namespace tarnel
