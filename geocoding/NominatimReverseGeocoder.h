#pragma once

#include "geocoding/RateLimiter.h"
#include "geocoding/ReverseGeocoder.h"
#include "geocoding/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace tarnel {

// OpenStreetMap's Nominatim reverse search: GET
// <reverseUrl>?format=jsonv2&lat=<lat>&lon=<lon>&addressdetails=1&accept-language=fr, answered
// by one object, the OSM object nearest to the point, whose "lat" and "lon" are decimal texts
// and whose "address" holds its parts; {"error":"Unable to geocode"} where there is none.
// Names come in French where OpenStreetMap has them ("Allemagne").
class NominatimReverseGeocoder final : public ReverseGeocoder {
public:
    // `reverseUrl` is the endpoint without query, "https://nominatim.openstreetmap.org/reverse"
    // for the real service. `turns` are those of every request to that Nominatim
    // (NominatimTurns): its usage policy counts the whole program's.
    NominatimReverseGeocoder(QString reverseUrl, QByteArray userAgent,
                             std::shared_ptr<RateLimiter> turns, HttpLimits limits = {});

    NearestAddress Nearest(const Place& point) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // Reads an answer: the object's address, NoMatch for the service's "Unable to geocode",
    // Failed for anything else (its other errors, a point off Earth, not JSON).
    static NearestAddress ReadAnswer(const QByteArray& json);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
