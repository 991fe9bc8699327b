#include "app/MapServiceConnection.h"

#include "core/MapQuery.h"
#include "mapservice/MapService.h"

namespace tarnel {

MapServiceConnection::MapServiceConnection()
    : baseUrl_(BuiltInMapServiceBaseUrl()) {
    if (!baseUrl_.isEmpty())
        return;
    service_ = MakeOpenDataMapService();
    if (service_->Start())
        baseUrl_ = service_->BaseUrl();
}

MapServiceConnection::~MapServiceConnection() = default;

} // namespace tarnel
