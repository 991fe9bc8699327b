#pragma once

#include "geocoding/AltitudeService.h"
#include "geocoding/BoundedGet.h"
#include "geocoding/Cancellation.h"
#include "geocoding/RateLimiter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace tarnel {

// The altitudes of many points asked together.
struct PointsAltitudes {
    HttpAnswer::Outcome outcome = HttpAnswer::Outcome::Failed; // Body: `metres` is complete
    // One per point asked, in their order; none where the data does not cover the point
    // (-99999) or the point lies outside France.
    QList<std::optional<double>> metres;
};

// The Géoplateforme's altimetry service asked about up to 5,000 points at once, its documented
// limit: POST <elevationUrl> with the JSON {"lon":"<lon>|<lon>…","lat":"<lat>|<lat>…",
// "resource":"ign_rge_alti_wld","delimiter":"|","zonly":"true",…} (the POST form of its GET
// parameters, whose URL would run to a hundred kilobytes), answered {"elevations":[z,z,…]} in
// the order asked. Takes its turns from the program's (AltitudeService::AltimetryTurns); a 429
// holds them back for its Retry-After and is asked again, and so is a gateway or connection
// failure, twice. Thread-safe.
class AltitudeBatch {
public:
    static constexpr qsizetype kMostPoints = 5000;

    // 5,000 points take the service seconds; its answer stays under a megabyte.
    static HttpLimits Limits();

    // `elevationUrl`: "https://data.geopf.fr/altimetrie/1.0/calcul/alti/rest/elevation.json"
    // for the real service.
    AltitudeBatch(QString elevationUrl, QByteArray userAgent, HttpLimits limits = Limits(),
                  std::shared_ptr<RateLimiter> turns = AltitudeService::AltimetryTurns());

    // The altitudes of `points` (at most kMostPoints); points outside France are not sent,
    // and none at all is asked when all are. Otherwise: how the last attempt ended (Refused
    // after the service kept refusing or asked to be left alone for long, Failed for an answer
    // that cannot be read).
    PointsAltitudes Ask(const QList<Place>& points);

    // The `count` altitudes of an answer in zonly or extended form, each read by
    // AltitudeOfElevation; nullopt unless there are exactly `count` that read as found or as
    // not covered.
    static std::optional<QList<std::optional<double>>> ReadAnswer(const QByteArray& json,
                                                                  qsizetype count);

    // Requests in flight and waits end at once.
    void Cancel() { cancel_.Cancel(); }

private:
    HttpAnswer Send(const QByteArray& json);

    const QByteArray url_;
    const QByteArray userAgent_;
    const HttpLimits limits_;
    const std::shared_ptr<RateLimiter> turns_;
    Cancellation cancel_;
};

} // namespace tarnel
