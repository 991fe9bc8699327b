#include "mapservice/GeoplateformeGeocoder.h"

#include "mapservice/PlaceCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <utility>

namespace tarnel {

namespace {

// The service's published limit is 50 requests a second.
constexpr std::chrono::milliseconds RequestInterval{20};
constexpr std::chrono::milliseconds LongestQueue{2000};
// The service refuses queries shorter than this.
constexpr qsizetype ShortestQuery = 3;

} // namespace

GeoplateformeGeocoder::GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent,
                                             HttpLimits limits)
    : searchUrl_(std::move(searchUrl))
    , userAgent_(std::move(userAgent))
    , limits_(limits)
    , limiter_(RequestInterval, LongestQueue) {
}

GeocodeResult GeoplateformeGeocoder::Locate(const QString& address) {
    const QString query = address.trimmed();
    if (query.size() < ShortestQuery) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    if (!limiter_.Acquire(cancel_)) {
        return {};
    }
    const QByteArray url =
        searchUrl_.toUtf8() + "?q=" + QUrl::toPercentEncoding(query) + "&limit=1";
    const auto body = BoundedGet(url, userAgent_, limits_, &cancel_);
    return body ? ReadAnswer(*body) : GeocodeResult{};
}

QString GeoplateformeGeocoder::SourceName() const {
    return QStringLiteral("Base Adresse Nationale");
}

GeocodeResult GeoplateformeGeocoder::ReadAnswer(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    const QJsonValue features = document.object().value(QLatin1String("features"));
    if (!features.isArray()) {
        return {};
    }
    if (features.toArray().isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    const QJsonArray point = features.toArray()
                                 .first()
                                 .toObject()
                                 .value(QLatin1String("geometry"))
                                 .toObject()
                                 .value(QLatin1String("coordinates"))
                                 .toArray();
    if (point.size() < 2 || !point.at(0).isDouble() || !point.at(1).isDouble()) {
        return {};
    }
    const Place place{point.at(1).toDouble(), point.at(0).toDouble()};
    if (!IsValidPlace(place)) {
        return {};
    }
    return {GeocodeResult::Outcome::Found, place};
}

} // namespace tarnel
