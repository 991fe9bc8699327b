#include "app/BatchServiceSet.h"

#include "geocoding/AltitudeBatch.h"
#include "geocoding/GeoplateformeCsvSearch.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "geocoding/NominatimTurns.h"
#include "geocoding/OpenDataUserAgent.h"

namespace tarnel {

BatchServiceSet::BatchServiceSet(const GeocoderEndpoints& endpoints, bool withAltitude) {
    const QByteArray agent = OpenDataUserAgent(endpoints.contact);
    if (!endpoints.franceCsv.isEmpty()) {
        csv_ = std::make_unique<GeoplateformeCsvSearch>(endpoints.franceCsv, agent);
    }
    if (!endpoints.france.isEmpty()) {
        france_ = std::make_unique<GeoplateformeGeocoder>(endpoints.france, agent);
    }
    if (!endpoints.world.isEmpty()) {
        world_ = std::make_unique<NominatimGeocoder>(endpoints.world, agent, NominatimTurns());
    }
    if (withAltitude && !endpoints.altitude.isEmpty()) {
        altitude_ = std::make_unique<AltitudeBatch>(endpoints.altitude, agent);
    }
    pointers_ = {csv_.get(), france_.get(), world_.get(), altitude_.get()};
}

BatchServiceSet::~BatchServiceSet() = default;

std::shared_ptr<const BatchServices>
BatchServiceSet::ForOneRun(const GeocoderEndpoints& endpoints) {
    const auto set = std::make_shared<const BatchServiceSet>(endpoints, false);
    return {set, &set->Pointers()};
}

} // namespace tarnel
