#include "geocoding/NearestAddressFinder.h"

#include "core/GeoDistance.h"
#include "geocoding/CachingReverseGeocoder.h"
#include "geocoding/FranceExtents.h"
#include "geocoding/OutcomeToTell.h"

#include <utility>
#include <vector>

namespace tarnel {

namespace {

std::unique_ptr<ReverseGeocoder> Cached(std::unique_ptr<ReverseGeocoder> geocoder) {
    if (!geocoder) {
        return nullptr;
    }
    return std::make_unique<CachingReverseGeocoder>(std::move(geocoder));
}

// Why no address came, as the user can best act on it.
AddressAnswer Absence(const std::vector<GeocodeResult::Outcome>& outcomes) {
    using Status = AddressAnswer::Status;
    if (outcomes.empty()) {
        return {Status::Off};
    }
    switch (OutcomeToTell(outcomes)) {
    case GeocodeResult::Outcome::Certificates:
        return {Status::Unreachable, true};
    case GeocodeResult::Outcome::Unreachable:
        return {Status::Unreachable};
    case GeocodeResult::Outcome::Refused:
        return {Status::Refused};
    case GeocodeResult::Outcome::Failed:
        return {Status::Failed};
    case GeocodeResult::Outcome::Found:
    case GeocodeResult::Outcome::NoMatch:
        break;
    }
    return {Status::None};
}

} // namespace

NearestAddressFinder::NearestAddressFinder(std::unique_ptr<ReverseGeocoder> france,
                                           std::unique_ptr<ReverseGeocoder> world)
    : france_(Cached(std::move(france)))
    , world_(Cached(std::move(world))) {
}

AddressAnswer NearestAddressFinder::Find(const Place& point) {
    std::vector<ReverseGeocoder*> turns;
    if (InFranceExtents(point)) {
        turns.push_back(france_.get());
    }
    turns.push_back(world_.get());

    AddressAnswer best;
    bool found = false;
    std::vector<GeocodeResult::Outcome> outcomes;
    for (ReverseGeocoder* geocoder : turns) {
        if (!geocoder) {
            continue;
        }
        const NearestAddress address = geocoder->Nearest(point);
        if (address.outcome != GeocodeResult::Outcome::Found) {
            outcomes.push_back(address.outcome);
            continue;
        }
        const double distance = DistanceInMetres({point.latitude, point.longitude},
                                                 {address.place.latitude, address.place.longitude});
        if (!found || distance < best.distance) {
            best = {AddressAnswer::Status::Found, false, address, distance, geocoder->SourceName()};
            found = true;
        }
        if (best.distance <= kNearEnough) {
            break;
        }
    }
    return found ? best : Absence(outcomes);
}

void NearestAddressFinder::CancelLookups() {
    for (ReverseGeocoder* geocoder : {france_.get(), world_.get()}) {
        if (geocoder) {
            geocoder->CancelLookups();
        }
    }
}

} // namespace tarnel
