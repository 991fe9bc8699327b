#include "mapservice/NominatimGeocoder.h"

#include "mapservice/NominatimTurns.h"
#include "mapservice/PlaceCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <utility>

namespace tarnel {

namespace {

// A decimal text of the answer; nothing when it is not one.
std::optional<double> ReadDecimal(const QJsonValue& value) {
    if (!value.isString()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toString().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

NominatimGeocoder::NominatimGeocoder(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                                     std::chrono::milliseconds interval)
    : NominatimGeocoder(std::move(searchUrl), std::move(userAgent), NominatimTurns(interval),
                        limits) {
}

NominatimGeocoder::NominatimGeocoder(QString searchUrl, QByteArray userAgent,
                                     std::shared_ptr<RateLimiter> turns, HttpLimits limits)
    : search_(std::move(searchUrl), std::move(userAgent), limits, std::move(turns)) {
}

GeocodeResult NominatimGeocoder::Locate(const QString& address) {
    const QString query = address.trimmed();
    if (query.isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    return search_.Ask("format=jsonv2&limit=1&q=" + QUrl::toPercentEncoding(query),
                       &NominatimGeocoder::ReadAnswer);
}

QString NominatimGeocoder::SourceName() const {
    return QStringLiteral("Nominatim");
}

GeocodeResult NominatimGeocoder::ReadAnswer(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return {};
    }
    const QJsonArray matches = document.array();
    if (matches.isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    const QJsonObject first = matches.first().toObject();
    const auto latitude = ReadDecimal(first.value(QLatin1String("lat")));
    const auto longitude = ReadDecimal(first.value(QLatin1String("lon")));
    if (!latitude || !longitude) {
        return {};
    }
    const Place place{*latitude, *longitude};
    if (!IsValidPlace(place)) {
        return {};
    }
    return {GeocodeResult::Outcome::Found, place};
}

} // namespace tarnel
