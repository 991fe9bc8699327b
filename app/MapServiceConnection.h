#pragma once

#include "mapservice/MapService.h"

#include <QString>
#include <memory>

namespace tarnel {

// The map service the windows talk to for this run: `configuredHost` ("name" or "name:port"), or,
// when that is empty, the program's own service on 127.0.0.1, asking `geocoders`, keeping the
// user's places in `placesPath` (none when empty), running as long as this lives.
class MapServiceConnection {
public:
    explicit MapServiceConnection(const QString& configuredHost,
                                  const GeocoderEndpoints& geocoders = {},
                                  const QString& placesPath = {});
    ~MapServiceConnection();
    MapServiceConnection(const MapServiceConnection&) = delete;
    MapServiceConnection& operator=(const MapServiceConnection&) = delete;

    // "http://<host>/maps?q=", shared by every builder of a map query URL.
    QString BaseUrl() const { return baseUrl_; }
    // False when the program's own service was needed and could not start.
    bool Available() const { return !baseUrl_.isEmpty(); }

private:
    std::unique_ptr<MapService> service_;
    QString baseUrl_;
};

} // namespace tarnel
