#pragma once

#include "geocoding/PointLookup.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace tarnel {

// The French commune a point lies in.
struct PointCommune {
    GeocodeResult::Outcome outcome = GeocodeResult::Outcome::Failed; // NoMatch: in none
    QString name{};
    QString code{};           // INSEE code, "78646"
    QString departmentName{}; // empty when the answer does not give it
    QString departmentCode{};
    QStringList postcodes{};
};

// The State's API Découpage administratif: GET <communesUrl>?lat=<lat>&lon=<lon>&fields=
// nom,code,codesPostaux,codeDepartement,departement, answered with a JSON array of the
// communes whose outline holds the point. That service drops a filter it cannot read and then
// answers with every commune: only points on Earth within France's extents are asked about, and
// an answer of more than one commune is refused. Its lookups share `turns`.
class CommuneService {
public:
    // `communesUrl`: "https://geo.api.gouv.fr/communes" for the real service.
    CommuneService(QString communesUrl, QByteArray userAgent, HttpLimits limits = {},
                   std::shared_ptr<RateLimiter> turns = DefaultTurns());

    // Safe to call from several threads at once; returns within the time bounds.
    PointCommune At(const Place& point);
    void CancelLookups() { lookup_.Cancel(); }

    // NoMatch for an empty array; the commune of a one-element array that names it with its
    // five-character code; Failed for anything else.
    static PointCommune ReadAnswer(const QByteArray& json);

    // 6 requests a second, inside the lower of the limits published (10 a second).
    static std::shared_ptr<RateLimiter> DefaultTurns();

private:
    PointLookup<PointCommune> lookup_;
};

} // namespace tarnel
