#pragma once

#include "geocoding/PointLookup.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <memory>

namespace tarnel {

// The ground's altitude at a point, in metres above the territory's levelling datum.
struct PointAltitude {
    GeocodeResult::Outcome outcome = GeocodeResult::Outcome::Failed; // NoMatch: not covered
    double metres = 0;                                               // when found
};

// One element of the service's "elevations": a number, or an object whose "z" is one. NoMatch
// for the "no data" value (IGN's widgets take anything from -189999 to -9999 as such), Failed
// for anything else than a finite number in that shape or an altitude no ground has.
PointAltitude AltitudeOfElevation(const QJsonValue& elevation);

// The Géoplateforme's altimetry service on IGN's RGE ALTI® (Licence Ouverte):
// GET <elevationUrl>?lon=<lon>&lat=<lat>&resource=ign_rge_alti_wld&zonly=true, answered
// {"elevations":[35.2]} (or, without zonly, {"elevations":[{"lon":…,"lat":…,"z":35.2,…}]}); a
// point the data does not cover gets -99999. Covers France (mainland, overseas departments
// and communities): a point outside France's extents is not asked about. At most 5 requests a
// second per address for its users: all its lookups share `turns`, by default the program's.
class AltitudeService {
public:
    // `elevationUrl`: "https://data.geopf.fr/altimetrie/1.0/calcul/alti/rest/elevation.json"
    // for the real service.
    AltitudeService(QString elevationUrl, QByteArray userAgent, HttpLimits limits = {},
                    std::shared_ptr<RateLimiter> turns = AltimetryTurns());

    // Safe to call from several threads at once; returns within the time bounds.
    PointAltitude At(const Place& point);
    void CancelLookups() { lookup_.Cancel(); }

    // The first altitude of an answer, read by AltitudeOfElevation; Failed without one.
    static PointAltitude ReadAnswer(const QByteArray& json);

    // The turns of the whole program's requests to the service: 2.5 a second, half its limit.
    static std::shared_ptr<RateLimiter> AltimetryTurns();

private:
    PointLookup<PointAltitude> lookup_;
};

} // namespace tarnel
