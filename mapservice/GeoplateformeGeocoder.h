#pragma once

#include "mapservice/BoundedGet.h"
#include "mapservice/Geocoder.h"
#include "mapservice/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarnel {

// The French national address base (Base Adresse Nationale) through the Géoplateforme's free
// geocoder: GET <searchUrl>?q=<address>&autocomplete=0&limit=5, answered in GeoCodeJSON, a
// FeatureCollection whose point coordinates are [longitude, latitude], best score first. The
// service nearly always answers with its closest guesses, so a feature is only taken when its
// score and postal code say it is the place asked for. At most 50 requests a second.
class GeoplateformeGeocoder final : public Geocoder {
public:
    // Below this score a feature is another street or town than the one asked for. The
    // service's documented example "8 bd du port" reads 0.49 for a boulevard of Amiens among
    // many of that name, and guesses for a different street or town score up to about 0.7.
    static constexpr double kLeastScore = 0.7;
    // The service answers 400 to a query outside these lengths.
    static constexpr qsizetype kShortestQuery = 3;
    static constexpr qsizetype kLongestQuery = 200;

    // `searchUrl` is the search endpoint without query, "https://data.geopf.fr/geocodage/search"
    // for the real service.
    GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent, HttpLimits limits = {});

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // The text the service is sent for `address`: trimmed, what precedes its first letter or
    // digit dropped (the service refuses any other first character), and cut at the last
    // blank or comma that keeps it within kLongestQuery characters. Empty when fewer than
    // kShortestQuery characters are left.
    static QString QueryText(const QString& address);

    // The five-digit groups of `address`, the postal codes it may hold.
    static QStringList PostalCodes(const QString& address);

    // Reads a GeoCodeJSON answer: the point of the first feature that scores at least
    // kLeastScore and, when `postalCodes` is not empty, whose postcode or citycode is one of
    // them; NoMatch when no feature does; Failed for anything that is not GeoCodeJSON.
    static GeocodeResult ReadAnswer(const QByteArray& json, const QStringList& postalCodes);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
