#pragma once

#include "geocoding/ReverseGeocoder.h"
#include "geocoding/UpstreamSearch.h"

#include <QByteArray>
#include <QString>

namespace tarnel {

// The Base Adresse Nationale's reverse search through the Géoplateforme:
// GET <reverseUrl>?lon=<lon>&lat=<lat>&index=address&limit=1, answered in GeoCodeJSON like its
// search: a FeatureCollection whose first feature is the nearest address, its point
// [longitude, latitude], its parts in "properties". Covers France only. At most 50 requests a
// second.
class GeoplateformeReverseGeocoder final : public ReverseGeocoder {
public:
    // `reverseUrl` is the endpoint without query, "https://data.geopf.fr/geocodage/reverse" for
    // the real service.
    GeoplateformeReverseGeocoder(QString reverseUrl, QByteArray userAgent, HttpLimits limits = {});

    NearestAddress Nearest(const Place& point) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // Reads an answer: the first feature's address, NoMatch for no feature, Failed for anything
    // that is not GeoCodeJSON or a point off Earth.
    static NearestAddress ReadAnswer(const QByteArray& json);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
