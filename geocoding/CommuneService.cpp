#include "geocoding/CommuneService.h"

#include "geocoding/FranceExtents.h"
#include "geocoding/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

namespace tarnel {

namespace {

constexpr std::chrono::milliseconds kRequestInterval{160};
constexpr std::chrono::milliseconds kLongestQueue{2000};
constexpr qsizetype kInseeCodeLength = 5;

} // namespace

CommuneService::CommuneService(QString communesUrl, QByteArray userAgent, HttpLimits limits,
                               std::shared_ptr<RateLimiter> turns)
    : lookup_(std::move(communesUrl), std::move(userAgent), limits, std::move(turns),
              &CommuneService::ReadAnswer) {
}

std::shared_ptr<RateLimiter> CommuneService::DefaultTurns() {
    return std::make_shared<RateLimiter>(kRequestInterval, kLongestQueue);
}

PointCommune CommuneService::At(const Place& point) {
    if (!InFranceExtents(point)) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    return lookup_.Ask(point, "lat=" + DecimalParameter(point.latitude) +
                                  "&lon=" + DecimalParameter(point.longitude) +
                                  // No limit: a dropped filter then shows as many communes.
                                  "&fields=nom,code,codesPostaux,codeDepartement,departement");
}

PointCommune CommuneService::ReadAnswer(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray() || document.array().size() > 1) {
        return {};
    }
    if (document.array().isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    const QJsonObject commune = document.array().first().toObject();
    PointCommune found{GeocodeResult::Outcome::Found, JsonText(commune, "nom"),
                       JsonText(commune, "code")};
    if (found.name.isEmpty() || found.code.size() != kInseeCodeLength) {
        return {};
    }
    const QJsonObject department = commune.value(QLatin1String("departement")).toObject();
    found.departmentName = JsonText(department, "nom");
    found.departmentCode = JsonText(department, "code");
    if (found.departmentCode.isEmpty()) {
        found.departmentCode = JsonText(commune, "codeDepartement");
    }
    for (const QJsonValue postcode : commune.value(QLatin1String("codesPostaux")).toArray()) {
        if (const QString text = postcode.toString().trimmed(); !text.isEmpty()) {
            found.postcodes.append(text);
        }
    }
    return found;
}

} // namespace tarnel
