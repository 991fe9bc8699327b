#include "app/MapServiceConnection.h"

#include "core/MapQuery.h"
#include "mapservice/MapService.h"

namespace tarnel {

MapServiceConnection::MapServiceConnection(const QString& configuredHost,
                                           const GeocoderEndpoints& geocoders) {
    if (!configuredHost.isEmpty()) {
        baseUrl_ = MapServiceBaseUrl(configuredHost);
        return;
    }
    service_ = MakeOpenDataMapService(geocoders);
    if (service_->Start())
        baseUrl_ = service_->BaseUrl();
}

MapServiceConnection::~MapServiceConnection() = default;

} // namespace tarnel
