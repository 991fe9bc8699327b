#include "geocoding/AltitudeService.h"

#include "geocoding/FranceExtents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <utility>

namespace tarnel {

namespace {

constexpr std::chrono::milliseconds kRequestInterval{400};
constexpr std::chrono::milliseconds kLongestQueue{3000};
// Below the Dead Sea shore lies no ground; above Everest none either.
constexpr double kLowestGround = -500;
constexpr double kHighestGround = 9000;
constexpr double kNoDataAbove = -9999;

} // namespace

AltitudeService::AltitudeService(QString elevationUrl, QByteArray userAgent, HttpLimits limits,
                                 std::shared_ptr<RateLimiter> turns)
    : lookup_(std::move(elevationUrl), std::move(userAgent), limits, std::move(turns),
              &AltitudeService::ReadAnswer) {
}

std::shared_ptr<RateLimiter> AltitudeService::AltimetryTurns() {
    static const auto turns = std::make_shared<RateLimiter>(kRequestInterval, kLongestQueue);
    return turns;
}

PointAltitude AltitudeService::At(const Place& point) {
    if (!InFranceExtents(point)) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    return lookup_.Ask(point, "lon=" + DecimalParameter(point.longitude) +
                                  "&lat=" + DecimalParameter(point.latitude) +
                                  "&resource=ign_rge_alti_wld&zonly=true");
}

PointAltitude AltitudeOfElevation(const QJsonValue& elevation) {
    const QJsonValue z =
        elevation.isObject() ? elevation.toObject().value(QLatin1String("z")) : elevation;
    if (!z.isDouble() || !std::isfinite(z.toDouble())) {
        return {};
    }
    const double metres = z.toDouble();
    if (metres <= kNoDataAbove) {
        return {GeocodeResult::Outcome::NoMatch};
    }
    if (metres < kLowestGround || metres > kHighestGround) {
        return {};
    }
    return {GeocodeResult::Outcome::Found, metres};
}

PointAltitude AltitudeService::ReadAnswer(const QByteArray& json) {
    const QJsonArray elevations =
        QJsonDocument::fromJson(json).object().value(QLatin1String("elevations")).toArray();
    if (elevations.isEmpty()) {
        return {};
    }
    return AltitudeOfElevation(elevations.first());
}

} // namespace tarnel
