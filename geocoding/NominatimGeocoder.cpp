#include "geocoding/NominatimGeocoder.h"

#include "geocoding/AddressWords.h"
#include "geocoding/CountryNames.h"
#include "geocoding/NominatimPlace.h"
#include "geocoding/NominatimTurns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

// France's places come under "fr" or under their overseas code.
constexpr auto kFrenchCodes = "fr,gp,mq,gf,re,yt,pm,bl,mf";

QByteArray Parameter(const char* name, const QString& value) {
    return QByteArray("&") + name + '=' + QUrl::toPercentEncoding(value);
}

// The place's country: its address's code, or the name that ends its display name.
QString CountryOf(const QJsonObject& match) {
    const QString code = match.value(QLatin1String("address"))
                             .toObject()
                             .value(QLatin1String("country_code"))
                             .toString()
                             .toLower();
    if (!code.isEmpty()) {
        return code;
    }
    // A display name of one part is the place's own name, not its country ("Italia", a stream);
    // a country of several languages is written "België / Belgique / Belgien".
    const QStringList parts = match.value(QLatin1String("display_name")).toString().split(u',');
    if (parts.size() < 2) {
        return {};
    }
    for (const QString& name : parts.last().split(u'/')) {
        if (const QString code = CountryCode(name.trimmed(), false); !code.isEmpty()) {
            return code;
        }
    }
    return {};
}

// True when one of the place's names of a settlement, or a part of its display name, is the
// town typed.
bool InTown(const QJsonObject& match, const QString& townKey) {
    const QJsonObject address = match.value(QLatin1String("address")).toObject();
    for (auto it = address.constBegin(); it != address.constEnd(); ++it) {
        if (TownKey(it.value().toString()) == townKey) {
            return true;
        }
    }
    const QString name = match.value(QLatin1String("display_name")).toString();
    for (const QString& part : name.split(u',')) {
        if (TownKey(part) == townKey) {
            return true;
        }
    }
    return false;
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

QByteArray NominatimGeocoder::Parameters(const AddressQuery& typed) {
    QByteArray parameters = "format=jsonv2&addressdetails=1&limit=5";
    if (!typed.countryCode.isEmpty()) {
        parameters += "&countrycodes=";
        parameters += IsFrenchCode(typed.countryCode) ? QByteArray(kFrenchCodes)
                                                      : typed.countryCode.toLatin1();
    }
    // A CEDEX code is no place's postal code.
    const QString code = typed.region == AddressQuery::Region::World ? typed.code : typed.postcode;
    const int parts =
        int(!typed.street.isEmpty()) + int(!typed.town.isEmpty()) + int(!code.isEmpty());
    if (parts == 0) {
        return typed.country.isEmpty() ? QByteArray() : parameters + Parameter("q", typed.country);
    }
    if (parts == 1 && code.isEmpty()) {
        return parameters + Parameter("q", typed.street.isEmpty() ? typed.town : typed.street);
    }
    for (const auto& [name, value] :
         {std::pair{"street", typed.street}, std::pair{"city", typed.town},
          std::pair{"postalcode", code}}) {
        if (!value.isEmpty()) {
            parameters += Parameter(name, value);
        }
    }
    return parameters;
}

GeocodeResult NominatimGeocoder::Locate(const QString& address) {
    const AddressQuery typed = ParseAddressQuery(address);
    const QByteArray parameters = Parameters(typed);
    if (!typed.problem.isEmpty() || parameters.isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    return search_.Ask(parameters,
                       [typed](const QByteArray& body) { return ReadAnswer(body, typed); });
}

QString NominatimGeocoder::SourceName() const {
    return QStringLiteral("Nominatim");
}

GeocodeResult NominatimGeocoder::ReadAnswer(const QByteArray& json, const AddressQuery& typed) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return {};
    }
    const QString townKey = TownKey(typed.town);
    for (const QJsonValue& value : document.array()) {
        const QJsonObject match = value.toObject();
        const QString country = CountryFamily(CountryOf(match));
        if (!typed.countryCode.isEmpty() && country != CountryFamily(typed.countryCode)) {
            continue;
        }
        // French names are the ones typed for a French town: the town is checked there.
        if (!townKey.isEmpty() && country == u"fr"_qs && !InTown(match, townKey)) {
            continue;
        }
        const std::optional<Place> place = NominatimPlace(match);
        if (!place) {
            return {};
        }
        return {GeocodeResult::Outcome::Found, *place,
                match.value(QLatin1String("display_name")).toString()};
    }
    return {GeocodeResult::Outcome::NoMatch, {}};
}

} // namespace tarnel
