#include "app/MapServiceConnection.h"

#include "core/MapQuery.h"
#include "mapservice/MapService.h"

namespace tarnel {

MapServiceConnection::MapServiceConnection(const QString& configuredHost,
                                           const GeocoderEndpoints& geocoders,
                                           const QString& placesPath) {
    if (!configuredHost.isEmpty()) {
        baseUrl_ = MapServiceBaseUrl(configuredHost);
        return;
    }
    service_ = MakeOpenDataMapService(geocoders);
    if (!placesPath.isEmpty())
        service_->KeepPlacesIn(placesPath);
    if (service_->Start())
        baseUrl_ = service_->BaseUrl();
}

MapServiceConnection::~MapServiceConnection() = default;

} // namespace tarnel
