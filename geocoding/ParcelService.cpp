#include "geocoding/ParcelService.h"

#include "geocoding/FranceExtents.h"
#include "geocoding/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <cmath>
#include <utility>

namespace tarnel {

namespace {

constexpr std::chrono::milliseconds kRequestInterval{200};
constexpr std::chrono::milliseconds kLongestQueue{2000};
constexpr qsizetype kIduLength = 14;
constexpr qsizetype kPrefixAt = 5; // after the department's and the commune's codes
constexpr qsizetype kPrefixLength = 3;

} // namespace

ParcelService::ParcelService(QString parcelUrl, QByteArray userAgent, HttpLimits limits,
                             std::shared_ptr<RateLimiter> turns)
    : lookup_(std::move(parcelUrl), std::move(userAgent), limits, std::move(turns),
              &ParcelService::ReadAnswer) {
}

std::shared_ptr<RateLimiter> ParcelService::DefaultTurns() {
    return std::make_shared<RateLimiter>(kRequestInterval, kLongestQueue);
}

CadastralParcel ParcelService::At(const Place& point) {
    if (!InFranceExtents(point)) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    const QByteArray geometry = R"({"type":"Point","coordinates":[)" +
                                DecimalParameter(point.longitude) + ',' +
                                DecimalParameter(point.latitude) + "]}";
    return lookup_.Ask(point, "geom=" + QUrl::toPercentEncoding(QString::fromLatin1(geometry)));
}

CadastralParcel ParcelService::ReadAnswer(const QByteArray& json) {
    const QJsonObject collection = QJsonDocument::fromJson(json).object();
    const QJsonValue features = collection.value(QLatin1String("features"));
    if (collection.value(QLatin1String("type")).toString() != QLatin1String("FeatureCollection") ||
        !features.isArray()) {
        return {};
    }
    if (features.toArray().isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    const QJsonObject properties =
        features.toArray().first().toObject().value(QLatin1String("properties")).toObject();
    CadastralParcel parcel{GeocodeResult::Outcome::Found, JsonText(properties, "idu")};
    parcel.section = JsonText(properties, "section");
    parcel.number = JsonText(properties, "numero");
    parcel.commune = JsonText(properties, "nom_com");
    if (parcel.section.isEmpty() || parcel.number.isEmpty()) {
        return {};
    }
    parcel.prefix = parcel.idu.size() == kIduLength ? parcel.idu.mid(kPrefixAt, kPrefixLength)
                                                    : JsonText(properties, "com_abs");
    if (const QJsonValue area = properties.value(QLatin1String("contenance"));
        area.isDouble() && area.toDouble() >= 0 && area.toDouble() < 1e12) {
        parcel.area = std::llround(area.toDouble());
    }
    return parcel;
}

} // namespace tarnel
