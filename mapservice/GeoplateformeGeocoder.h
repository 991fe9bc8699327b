#pragma once

#include "mapservice/BoundedGet.h"
#include "mapservice/Geocoder.h"
#include "mapservice/RateLimiter.h"

#include <QByteArray>
#include <QString>

namespace tarnel {

// The French national address base (Base Adresse Nationale) through the Géoplateforme's free
// geocoder: GET <searchUrl>?q=<address>&limit=1, answered in GeoCodeJSON, a FeatureCollection
// whose point coordinates are [longitude, latitude]. At most 50 requests a second.
class GeoplateformeGeocoder final : public Geocoder {
public:
    // `searchUrl` is the search endpoint without query, "https://data.geopf.fr/geocodage/search"
    // for the real service.
    GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent, HttpLimits limits = {});

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override { cancel_.Cancel(); }

    // Reads a GeoCodeJSON answer: its first feature's point, NoMatch for an empty collection,
    // Failed for anything else.
    static GeocodeResult ReadAnswer(const QByteArray& json);

private:
    const QString searchUrl_;
    const QByteArray userAgent_;
    const HttpLimits limits_;
    RateLimiter limiter_;
    Cancellation cancel_;
};

} // namespace tarnel
