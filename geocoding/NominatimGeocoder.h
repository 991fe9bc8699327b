#pragma once

#include "geocoding/AddressQuery.h"
#include "geocoding/BoundedGet.h"
#include "geocoding/Geocoder.h"
#include "geocoding/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

namespace tarnel {

// OpenStreetMap's Nominatim: GET <searchUrl>?format=jsonv2&addressdetails=1&limit=5 with the
// parts typed as its structured search asks for them (street, city, postalcode; a lone part as
// free text in q) and, when a country was typed, its code in countrycodes. Answered by a JSON
// array of objects whose "lat" and "lon" are decimal texts and whose "address" gives the
// place's "country_code". Its usage policy asks for an agent that names the program and for at
// most one request a second; this object spaces its own requests, so one instance must serve
// the whole program.
class NominatimGeocoder final : public Geocoder {
public:
    // `searchUrl` is the search endpoint without query,
    // "https://nominatim.openstreetmap.org/search" for the real service.
    NominatimGeocoder(QString searchUrl, QByteArray userAgent, HttpLimits limits = {},
                      std::chrono::milliseconds interval = std::chrono::seconds(1));
    // The same taking its turns from `turns` (NominatimTurns), shared with every other request
    // the program sends to that Nominatim.
    NominatimGeocoder(QString searchUrl, QByteArray userAgent, std::shared_ptr<RateLimiter> turns,
                      HttpLimits limits = {});

    // `address` as AddressQuery::Text() writes it.
    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // The request's parameters for `typed`, percent-encoded; empty when nothing can be asked.
    static QByteArray Parameters(const AddressQuery& typed);

    // Reads a Nominatim answer: the first place in the country typed (by its "country_code",
    // or the country that ends its "display_name" when the answer has no address) and, in
    // France, in the town typed; NoMatch when none is, Failed for anything else than such an
    // array or such a place without a readable point.
    static GeocodeResult ReadAnswer(const QByteArray& json, const AddressQuery& typed);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
