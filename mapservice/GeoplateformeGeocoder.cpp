#include "mapservice/GeoplateformeGeocoder.h"

#include "mapservice/PlaceCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <utility>

namespace tarnel {

namespace {

// The service's published limit is 50 requests a second.
constexpr std::chrono::milliseconds kRequestInterval{20};
constexpr std::chrono::milliseconds kLongestQueue{2000};
// Features asked for: enough for the place asked for to be among them when a better-scored
// namesake in another town comes first.
constexpr auto kFeaturesAsked = "5";

bool IsWordBreak(QChar c) {
    return c.isSpace() || c == u',';
}

// Where a place may be checked against a postal code of the query.
bool SameCode(const QJsonObject& properties, const QStringList& postalCodes) {
    if (postalCodes.isEmpty()) {
        return true;
    }
    const QString postcode = properties.value(QLatin1String("postcode")).toString();
    const QString citycode = properties.value(QLatin1String("citycode")).toString();
    return postalCodes.contains(postcode) || postalCodes.contains(citycode);
}

} // namespace

GeoplateformeGeocoder::GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent,
                                             HttpLimits limits)
    : search_(std::move(searchUrl), std::move(userAgent), limits, kRequestInterval, kLongestQueue) {
}

QString GeoplateformeGeocoder::QueryText(const QString& address) {
    QString text = address.trimmed();
    qsizetype first = 0;
    while (first < text.size() && !text.at(first).isLetterOrNumber()) {
        ++first;
    }
    text.remove(0, first);
    if (text.size() > kLongestQuery) {
        qsizetype cut = kLongestQuery;
        while (cut > 0 && !IsWordBreak(text.at(cut))) {
            --cut;
        }
        // One word longer than the limit is cut where the limit falls.
        text.truncate(cut > 0 ? cut : kLongestQuery);
        while (!text.isEmpty() && IsWordBreak(text.back())) {
            text.chop(1);
        }
    }
    return text.size() < kShortestQuery ? QString() : text;
}

QStringList GeoplateformeGeocoder::PostalCodes(const QString& address) {
    static const QRegularExpression kPostalCode(QStringLiteral("(?<!\\d)\\d{5}(?!\\d)"));
    QStringList codes;
    for (auto match = kPostalCode.globalMatch(address); match.hasNext();) {
        codes.append(match.next().captured());
    }
    return codes;
}

GeocodeResult GeoplateformeGeocoder::Locate(const QString& address) {
    const QString query = QueryText(address);
    if (query.isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    const QStringList postalCodes = PostalCodes(address);
    return search_.Ask("q=" + QUrl::toPercentEncoding(query) +
                           "&autocomplete=0&limit=" + kFeaturesAsked,
                       [&](const QByteArray& body) { return ReadAnswer(body, postalCodes); });
}

QString GeoplateformeGeocoder::SourceName() const {
    return QStringLiteral("Base Adresse Nationale");
}

GeocodeResult GeoplateformeGeocoder::ReadAnswer(const QByteArray& json,
                                                const QStringList& postalCodes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    const QJsonValue features = document.object().value(QLatin1String("features"));
    if (!features.isArray()) {
        return {};
    }
    for (const QJsonValue& value : features.toArray()) {
        const QJsonObject feature = value.toObject();
        const QJsonObject properties = feature.value(QLatin1String("properties")).toObject();
        const QJsonValue score = properties.value(QLatin1String("score"));
        if (!score.isDouble() || score.toDouble() < kLeastScore ||
            !SameCode(properties, postalCodes)) {
            continue;
        }
        const QJsonArray point = feature.value(QLatin1String("geometry"))
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
    return {GeocodeResult::Outcome::NoMatch, {}};
}

} // namespace tarnel
