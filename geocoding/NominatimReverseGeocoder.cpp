#include "geocoding/NominatimReverseGeocoder.h"

#include "geocoding/JsonText.h"
#include "geocoding/NominatimPlace.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

// The keys of "address" that name the way a house stands on, and the settlement it belongs
// to, most precise first (see Nominatim's address details).
const char* const kWayKeys[] = {"road",     "pedestrian", "footway", "path",
                                "cycleway", "square",     "place"};
const char* const kSettlementKeys[] = {"city",   "town",         "village",
                                       "hamlet", "municipality", "suburb"};

template <typename Keys> QString FirstOf(const QJsonObject& object, const Keys& keys) {
    for (const char* key : keys) {
        if (const QString text = JsonText(object, key); !text.isEmpty()) {
            return text;
        }
    }
    return {};
}

} // namespace

NominatimReverseGeocoder::NominatimReverseGeocoder(QString reverseUrl, QByteArray userAgent,
                                                   std::shared_ptr<RateLimiter> turns,
                                                   HttpLimits limits)
    : search_(std::move(reverseUrl), std::move(userAgent), limits, std::move(turns)) {
}

NearestAddress NominatimReverseGeocoder::Nearest(const Place& point) {
    return search_.Ask("format=jsonv2&lat=" + DecimalParameter(point.latitude) +
                           "&lon=" + DecimalParameter(point.longitude) +
                           "&addressdetails=1&accept-language=fr",
                       &ReadAnswer);
}

QString NominatimReverseGeocoder::SourceName() const {
    return QStringLiteral("Nominatim");
}

NearestAddress NominatimReverseGeocoder::ReadAnswer(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    const QJsonObject object = document.object();
    if (object.value(QLatin1String("error")).isString()) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    const std::optional<Place> place = NominatimPlace(object);
    if (!place) {
        return {};
    }
    const QJsonObject address = object.value(QLatin1String("address")).toObject();
    const QString way = FirstOf(address, kWayKeys);
    const QString number = JsonText(address, "house_number");
    return {GeocodeResult::Outcome::Found,
            *place,
            JsonText(object, "display_name"),
            way.isEmpty() ? QString() : (number + u' ' + way).trimmed(),
            FirstOf(address, kSettlementKeys),
            JsonText(address, "postcode"),
            JsonText(address, "country")};
}

} // namespace tarnel
