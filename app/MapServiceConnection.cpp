#include "app/MapServiceConnection.h"

#include "core/MapQuery.h"
#include "mapservice/MapService.h"

namespace tarnel {

MapServiceConnection::MapServiceConnection(const QString& configuredHost) {
    if (!configuredHost.isEmpty()) {
        baseUrl_ = MapServiceBaseUrl(configuredHost);
        return;
    }
    service_ = MakeOpenDataMapService();
    if (service_->Start())
        baseUrl_ = service_->BaseUrl();
}

MapServiceConnection::~MapServiceConnection() = default;

} // namespace tarnel
