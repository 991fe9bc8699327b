#pragma once

#include "mapservice/BoundedGet.h"
#include "mapservice/Geocoder.h"
#include "mapservice/UpstreamSearch.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

namespace tarnel {

// OpenStreetMap's Nominatim: GET <searchUrl>?format=jsonv2&limit=1&q=<address>, answered by a
// JSON array of objects whose "lat" and "lon" are decimal texts. Its usage policy asks for an
// agent that names the program and for at most one request a second; this object spaces its
// own requests, so one instance must serve the whole program.
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

    GeocodeResult Locate(const QString& address) override;
    QString SourceName() const override;
    void CancelLookups() override { search_.Cancel(); }

    // Reads a Nominatim answer: its first object's point, NoMatch for an empty array, Failed
    // for anything else.
    static GeocodeResult ReadAnswer(const QByteArray& json);

private:
    UpstreamSearch search_;
};

} // namespace tarnel
