#pragma once

#include "geocoding/AddressQuery.h"
#include "geocoding/BoundedGet.h"
#include "geocoding/Geocoder.h"
#include "geocoding/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace tarnel {

// The French national address base (Base Adresse Nationale) through the Géoplateforme's free
// geocoder: GET <searchUrl>?q=<address>&autocomplete=0&limit=5 (and &type=municipality when no
// street was typed, so that the town comes before streets named after it), answered in
// GeoCodeJSON, a FeatureCollection whose point coordinates are [longitude, latitude], best score
// first. The service nearly always answers with its closest guesses, so each feature is weighed
// against everything typed (FrenchAddressRule.h) and only one that fits is taken. At most 50
// requests a second.
class GeoplateformeGeocoder final : public Geocoder {
public:
    // The service answers 400 to a query outside these lengths.
    static constexpr qsizetype kShortestQuery = 3;
    static constexpr qsizetype kLongestQuery = 200;
    // Other places a page lists at most.
    static constexpr std::size_t kMostOthers = 4;

    // `searchUrl` is the search endpoint without query, "https://data.geopf.fr/geocodage/search"
    // for the real service.
    GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent, HttpLimits limits = {});

    // `address` as AddressQuery::Text() writes it.
    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // The text the service is sent for `typed`: street, town and postal code (a CEDEX code's
    // département only), what the service refuses as a first character dropped (anything but
    // a letter or digit of the Latin alphabet, accented or not: "½", "ª", "«"), and, beyond
    // kLongestQuery characters, the street cut at a blank so that the town and the postal code
    // stay. Empty when fewer than kShortestQuery characters are left.
    static QString QueryText(const AddressQuery& typed);

    // Reads a GeoCodeJSON answer: of the features that fit `typed`, the best one — those of the
    // highest level, the best score first — with the best of each other town at its level as
    // other places;
    // NoMatch when no feature fits; Failed for anything that is not GeoCodeJSON or a fitting
    // feature whose point cannot be read.
    static GeocodeResult ReadAnswer(const QByteArray& json, const AddressQuery& typed);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
